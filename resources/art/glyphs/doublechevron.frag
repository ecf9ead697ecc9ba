<path d="M9.5,11 L16.5,18 L9.5,25 M18.5,11 L25.5,18 L18.5,25" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="2.6"/>
