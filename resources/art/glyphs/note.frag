<!-- Short videos with music: a double note. -->
<path d="M15,24 L15,11 L26,8.5 L26,21.5" fill="none" stroke="{{fg}}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>
<circle cx="12.2" cy="24.5" r="3" fill="{{fg}}"/><circle cx="23.2" cy="22" r="3" fill="{{fg}}"/>
<path d="M15,14.5 L26,12" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="1.8"/>
