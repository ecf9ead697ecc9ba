<!-- A touch: a fingertip dot inside two widening rings. -->
<circle cx="18" cy="18" r="3" fill="{{fg}}"/>
<path d="M12.5,13 A7.5,7.5 0 0 1 23.5,13 M9.5,10 A11.5,11.5 0 0 1 26.5,10" fill="none" stroke="{{fg}}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>
<path d="M18,21 L18,27" fill="none" stroke="{{fg}}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>
