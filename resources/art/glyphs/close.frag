<path d="M12.5,12.5 L23.5,23.5 M23.5,12.5 L12.5,23.5" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="2.4"/>
