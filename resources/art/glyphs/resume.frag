<path d="M14,10.5 L26,18 L14,25.5 Z" fill="{{fg}}" stroke="{{fg}}" stroke-width="1.5" stroke-linejoin="round"/>
