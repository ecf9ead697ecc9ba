<!-- A short post: the hash mark of a topic. -->
<path d="M15,9 L13,27 M23,9 L21,27 M9.5,15 L27.5,15 M8.5,21 L26.5,21" fill="none" stroke="{{fg}}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>
