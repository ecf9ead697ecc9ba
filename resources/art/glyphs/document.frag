<!-- Licence: a page with a folded corner and lines of text. -->
<path d="M11,8.5 L21,8.5 L26,13.5 L26,27.5 L11,27.5 Z M21,8.5 L21,13.5 L26,13.5" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="2"/>
<path d="M14.5,17.5 L22.5,17.5 M14.5,21 L22.5,21 M14.5,24.5 L19.5,24.5" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="1.6"/>
