<path d="M21.5,10 L13.5,18 L21.5,26" fill="none" stroke="{{fg}}" stroke-width="2.6" stroke-linecap="round" stroke-linejoin="round"/>
