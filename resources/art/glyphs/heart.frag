<!-- Friends and likes: a heart. -->
<path d="M18,27 C12,22.5 8,19 8,14.5 C8,11.5 10.3,9.5 13,9.5 C15.2,9.5 17,10.8 18,12.8 C19,10.8 20.8,9.5 23,9.5 C25.7,9.5 28,11.5 28,14.5 C28,19 24,22.5 18,27 Z" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="2"/>
