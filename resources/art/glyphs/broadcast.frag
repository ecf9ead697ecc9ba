<!-- Broadcast: a point sending out arcs. -->
<circle cx="13" cy="23" r="2.6" fill="{{fg}}"/>
<path d="M12,16.5 A7,7 0 0 1 19.5,24 M12,10.5 A13,13 0 0 1 25.5,24" fill="none" stroke="{{fg}}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>
