<!-- A chat message: a rounded bubble with lines of text. -->
<path d="M8,11.5 C8,9.8 9.3,8.5 11,8.5 L25,8.5 C26.7,8.5 28,9.8 28,11.5 L28,20.5 C28,22.2 26.7,23.5 25,23.5 L16,23.5 L11,27.5 L11.5,23.5 L11,23.5 C9.3,23.5 8,22.2 8,20.5 Z" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="2"/>
<path d="M12.5,13.5 L23.5,13.5 M12.5,18 L20,18" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="1.7"/>
