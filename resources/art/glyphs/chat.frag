<!-- Two overlapping speech bubbles. -->
<path d="M8.5,15.5 C8.5,11.5 12,9.5 15.5,9.5 C19,9.5 22.5,11.5 22.5,15.5 C22.5,19.5 19,21.5 15.5,21.5 L12.5,24 L12.8,20.6 C10.2,19.6 8.5,17.8 8.5,15.5 Z" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="2"/>
<path d="M24.5,13.5 C26.5,14.6 27.5,16.2 27.5,18.5 C27.5,20.5 26.4,22 24.8,23 L25,26 L22,24 C20,24.2 18,23.5 16.8,22.5" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="2"/>
<circle cx="13" cy="15.5" r="1.1" fill="{{fg}}"/><circle cx="18" cy="15.5" r="1.1" fill="{{fg}}"/>
