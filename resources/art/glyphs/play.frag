<!-- Videos: a play triangle in a rounded frame. -->
<rect x="7" y="10" width="22" height="16" rx="5" fill="none" stroke="{{fg}}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>
<path d="M15.5,14 L22,18 L15.5,22 Z" fill="{{fg}}"/>
