<path d="M14.5,10 L22.5,18 L14.5,26" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="2.6"/>
