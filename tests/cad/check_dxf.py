#!/usr/bin/python3
"""Reads a DXF file with ezdxf, strictly, and prints what the CAD tests
compare, one fact per line:
  version <AC....> / encoding <codec>
  layer <name> <colour> <linetype>       (every layer table entry)
  linetype <name>
  block <name> <entity types, sorted>
  count <type> <n>                       (entities of the entities section)
  arc <block or *> <cx> <cy> <r> <start> <end>
  text <block or *> <text>
Exit 1 (with the reason on stderr) when the strict reader refuses it."""
import sys

import ezdxf


def main(path):
    try:
        doc = ezdxf.readfile(path)
    except Exception as e:  # the strict reader's refusal is the finding
        print("readfile failed:", e, file=sys.stderr)
        return 1
    print("version", doc.dxfversion)
    print("encoding", doc.encoding)
    for layer in doc.layers:
        print("layer", layer.dxf.name, layer.dxf.color, layer.dxf.linetype)
    for lt in doc.linetypes:
        print("linetype", lt.dxf.name)
    msp = doc.modelspace()
    counts = {}
    for e in msp:
        counts[e.dxftype()] = counts.get(e.dxftype(), 0) + 1
    for t in sorted(counts):
        print("count", t, counts[t])

    def facts(owner, entities):
        for e in entities:
            if e.dxftype() == "ARC":
                c = e.dxf.center
                print("arc %s %.4f %.4f %.4f %.4f %.4f" % (owner, c.x, c.y, e.dxf.radius,
                                                           e.dxf.start_angle, e.dxf.end_angle))
            elif e.dxftype() == "TEXT":
                print("text", owner, e.dxf.text)

    facts("*", msp)
    for block in doc.blocks:
        if block.name.startswith("*"):
            continue
        print("block", block.name, " ".join(sorted(e.dxftype() for e in block)))
        facts(block.name, block)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
