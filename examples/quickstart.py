"""A first look at vemo: the classes the extension provides."""

import vemo

print("vemo classes:", ", ".join(vemo.__all__))

m = vemo.Map()
print("an empty Map holds", len(m), "entries")
