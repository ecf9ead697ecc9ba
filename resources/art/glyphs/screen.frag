<!-- A video screen on its stand. -->
<rect x="8" y="10" width="20" height="14" rx="3" fill="none" stroke="{{fg}}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>
<path d="M15.5,13.8 L21.5,17 L15.5,20.2 Z" fill="{{fg}}"/>
<path d="M13,28 L23,28 M18,24 L18,28" fill="none" stroke="{{fg}}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>
