<!-- A game pad. -->
<path d="M10.5,12.5 L25.5,12.5 C28.5,12.5 30,15 30.5,18.5 L31,23 C31.3,25.5 29,27 27,25.5 L23.5,22.5 L12.5,22.5 L9,25.5 C7,27 4.7,25.5 5,23 L5.5,18.5 C6,15 7.5,12.5 10.5,12.5 Z" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="2"/>
<path d="M11.5,15.5 L11.5,19.5 M9.5,17.5 L13.5,17.5" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="1.7"/>
<circle cx="23" cy="16.3" r="1.2" fill="{{fg}}"/><circle cx="25.7" cy="18.8" r="1.2" fill="{{fg}}"/>
