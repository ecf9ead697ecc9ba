<!-- The feather-and-ripple emblem in a 100 x 100 box: a quill dipping into still water. -->
<g fill="none" stroke="{{ink}}" stroke-linecap="round">
  <ellipse cx="50" cy="80" rx="34" ry="6.5" stroke-width="2.4" stroke-opacity="0.55"/>
  <ellipse cx="50" cy="80" rx="20" ry="3.6" stroke-width="2.6" stroke-opacity="0.9"/>
</g>
<g transform="translate(55,44) rotate(-52)">
  <path d="M-30,0 C-20,-11 6,-19 40,-5 L42,0 Z" fill="{{ink}}"/>
  <path d="M-30,0 C-12,9 14,11 42,0 Z" fill="{{ink}}" fill-opacity="0.78"/>
  <path d="M-6,-10 L-1,-3 M6,-13 L10,-4 M18,-12 L21,-4 M28,-9 L30,-3" stroke="{{cut}}" stroke-width="1.6" stroke-linecap="round"/>
  <path d="M-2,6 L2,1 M12,7 L15,1" stroke="{{cut}}" stroke-width="1.4" stroke-linecap="round"/>
  <path d="M-44,0 L42,0" stroke="{{cut}}" stroke-width="1.6"/>
  <path d="M-46,0 L-36,-2.4 L-36,2.4 Z" fill="{{nib}}"/>
</g>
