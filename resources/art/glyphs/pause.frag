<rect x="12.5" y="11" width="3.8" height="14" rx="1.2" fill="{{fg}}"/>
<rect x="19.7" y="11" width="3.8" height="14" rx="1.2" fill="{{fg}}"/>
