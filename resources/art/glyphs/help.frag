<!-- Help desk: a question in a round bubble. -->
<path d="M18,8.5 C23.5,8.5 27.5,12.3 27.5,17.2 C27.5,22.1 23.5,26 18,26 C16.6,26 15.3,25.8 14.1,25.3 L9.5,27.5 L10.6,23.2 C9.3,21.6 8.5,19.5 8.5,17.2 C8.5,12.3 12.5,8.5 18,8.5 Z" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="2"/>
<path d="M15.3,15 C15.3,13.3 16.5,12.3 18,12.3 C19.6,12.3 20.7,13.3 20.7,14.8 C20.7,16.8 18,16.9 18,19" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="2"/>
<circle cx="18" cy="22" r="1.2" fill="{{fg}}"/>
