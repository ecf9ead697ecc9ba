<!-- A cafe: a cup with rising steam. -->
<path d="M9,16.5 L24,16.5 L23,24 C22.7,26 21.3,27.5 19,27.5 L14,27.5 C11.7,27.5 10.3,26 10,24 Z" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="2"/>
<path d="M24,18 C27.5,18 28.5,20 28,21.5 C27.5,23 26,23.5 23.5,23.2" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="1.8"/>
<path d="M13.5,13.5 C12.5,12 14.5,11 13.5,9 M18.5,13.5 C17.5,12 19.5,11 18.5,9" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="1.6"/>
