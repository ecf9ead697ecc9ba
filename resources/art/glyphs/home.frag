<!-- Official site: a house under a gable. -->
<path d="M9.5,17.5 L18,10 L26.5,17.5 M12,15.5 L12,26 L24,26 L24,15.5" fill="none" stroke="{{fg}}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>
<path d="M16,26 L16,20.5 L20,20.5 L20,26" fill="none" stroke="{{fg}}" stroke-linecap="round" stroke-linejoin="round" stroke-width="1.8"/>
