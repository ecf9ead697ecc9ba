<!-- A group: two heads and shoulders. -->
<circle cx="14.5" cy="13.5" r="3.6" fill="none" stroke="{{fg}}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>
<path d="M7.5,26.5 C7.5,21.5 10.5,19 14.5,19 C18.5,19 21.5,21.5 21.5,26.5" fill="none" stroke="{{fg}}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>
<circle cx="22.5" cy="12.5" r="3" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="1.9"/>
<path d="M22,17.5 C26,17.3 28.5,19.8 28.5,24" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="1.9"/>
