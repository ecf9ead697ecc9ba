<!-- Settings: a cogwheel. -->
<g transform="translate(18,18)" fill="{{fg}}">
  <rect x="-1.8" y="-10.5" width="3.6" height="5" rx="0.8"/>
  <rect x="-1.8" y="-10.5" width="3.6" height="5" rx="0.8" transform="rotate(45)"/>
  <rect x="-1.8" y="-10.5" width="3.6" height="5" rx="0.8" transform="rotate(90)"/>
  <rect x="-1.8" y="-10.5" width="3.6" height="5" rx="0.8" transform="rotate(135)"/>
  <rect x="-1.8" y="-10.5" width="3.6" height="5" rx="0.8" transform="rotate(180)"/>
  <rect x="-1.8" y="-10.5" width="3.6" height="5" rx="0.8" transform="rotate(225)"/>
  <rect x="-1.8" y="-10.5" width="3.6" height="5" rx="0.8" transform="rotate(270)"/>
  <rect x="-1.8" y="-10.5" width="3.6" height="5" rx="0.8" transform="rotate(315)"/>
</g>
<circle cx="18" cy="18" r="6.2" fill="none" stroke="{{fg}}" stroke-width="3.2"/>
