#!/usr/bin/env bash
# Rebuilds the embedded interface face: the Simplified Chinese member of the system's Noto
# Sans CJK Regular, cut down to the characters the interface and the help page use, and
# renamed "Tickvale Sans SC" (a modified font under the SIL Open Font License takes a name
# of its own). Needs fonts-noto-cjk and python3-fonttools.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_font=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc
[ -f "$source_font" ] || { echo "missing $source_font (apt-get install fonts-noto-cjk)"; exit 1; }
/usr/bin/python3 - "$here" "$source_font" <<'PY'
import pathlib, sys
from fontTools.ttLib import TTCollection
from fontTools import subset

here, source = pathlib.Path(sys.argv[1]), sys.argv[2]
root = here.parent
chars = set(chr(c) for c in range(0x20, 0x7F))
chars |= set("，。、：；？！“”‘’（）《》【】…—·")
for path in list(root.glob("*/**/*.cpp")) + list(root.glob("*/**/*.h")) + list(here.glob("help/*.html")):
    if "build" in path.parts:
        continue
    chars |= {ch for ch in path.read_text(encoding="utf-8") if ord(ch) > 0x2E7F}

collection = TTCollection(source)
font = next(f for f in collection.fonts if "SC" in f["name"].getDebugName(1))
options = subset.Options()
options.layout_features = ["*"]
options.name_IDs = ["*"]
subsetter = subset.Subsetter(options)
subsetter.populate(text="".join(sorted(chars)))
subsetter.subset(font)

names = font["name"]
for record in list(names.names):
    if record.nameID in (1, 3, 4, 6, 16, 17, 18, 21, 22):
        names.removeNames(nameID=record.nameID)
family = "Tickvale Sans SC"
for name_id, text in ((1, family), (2, "Regular"), (3, family + " Regular 1.0"), (4, family + " Regular"),
                      (6, "TickvaleSansSC-Regular")):
    names.setName(text, name_id, 3, 1, 0x409)
font["OS/2"].usWinAscent = max(font["OS/2"].usWinAscent, 1)
out = here / "fonts" / "TickvaleSansSC-Regular.otf"
font.save(str(out))
print(f"{out}: {len(chars)} characters")
PY
cp /usr/share/doc/fonts-noto-cjk/copyright "$here/fonts/LICENSE-OFL.txt"
