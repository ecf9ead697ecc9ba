<path d="M11.5,19 L24.5,19" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="2.4"/>
