#!/usr/bin/env python3
"""Builds data/CSSKeywords.xml, Korvel's property dictionary, from the CSS
property table data/css-properties.tsv and the hand-written corrections in
tools/keyword_overrides.tsv.

    tools/gen_keywords.py           rewrite data/CSSKeywords.xml
    tools/gen_keywords.py --check   exit with 1 when the file is not up to date

Standard library only. The output depends on nothing but the two inputs, so
the committed file can be checked against them.

What each property gets:
- a colour (kinds color, keyword, url): EditMode "getcolor", one member named
  like the property with the item "color" (EditIcon "getcolor"), then
  "transparent", "currentcolor" and the property's keywords;
- lengths or percentages, possibly with keywords or numbers: "FormEdit", the
  items "length" and/or "percentage" and the keywords;
- an image: "ShowImage", the item "url" with EditIcon "getimage";
- font-family: "getfont";
- keywords, possibly with names or numbers typed in: "combo";
- anything else: "edit";
- a shorthand whose words can be told apart by kind: "expand", one member per
  longhand, with that longhand's items, edit mode and one-word initial value;
  a shorthand whose words cannot (the same kind in two longhands, or kinds
  that no item recognises) gets the editor its own kinds call for, because
  the sub-grid would drop the words it cannot place;
- the shorthands listed as "special" in the overrides: "expand" and Special,
  with the members named there.
Every property's items end with the CSS-wide keywords.
"""

import csv
import os
import sys
from xml.sax.saxutils import quoteattr

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TABLE = os.path.join(ROOT, "data", "css-properties.tsv")
OVERRIDES = os.path.join(ROOT, "tools", "keyword_overrides.tsv")
OUTPUT = os.path.join(ROOT, "data", "CSSKeywords.xml")

CSS_WIDE_KEYWORDS = ["inherit", "initial", "unset", "revert"]
COLOUR_KEYWORDS = ["transparent", "currentcolor"]
# Kinds of value whose words the program's value typing recognises: a
# keyword item, or the class items "length", "percentage", "color", "url".
RECOGNISED_KINDS = {"keyword", "length", "percentage", "color", "image", "url"}
CLASS_KINDS = {"length", "percentage", "color", "image", "url"}


class Property:
    def __init__(self, row):
        self.name = row["name"]
        self.shorthand = row["shorthand"] == "yes"
        self.kinds = set(filter(None, row["value_kinds"].split(",")))
        self.keywords = row["keywords"].split()
        self.initial = row["initial"].strip()
        self.longhands = row["longhands"].split()
        self.edit_mode = None
        self.expand = None
        self.special = None
        self.member_defaults = True


def fail(message):
    sys.exit("gen_keywords.py: " + message)


def read_table():
    with open(TABLE, encoding="utf-8", newline="") as table:
        rows = list(csv.DictReader(table, delimiter="\t"))
    properties = {}
    for row in rows:
        if row["name"] in properties:
            fail("the table lists %s twice" % row["name"])
        properties[row["name"]] = Property(row)
    return properties


def apply_overrides(properties):
    with open(OVERRIDES, encoding="utf-8") as overrides:
        for number, line in enumerate(overrides, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) != 3:
                fail("%s:%d: expected property, setting and value" % (OVERRIDES, number))
            name, setting, value = fields
            prop = properties.get(name)
            if prop is None:
                fail("%s:%d: %s is not in the table" % (OVERRIDES, number, name))
            if setting == "shorthand":
                prop.shorthand = value == "yes"
            elif setting == "initial":
                prop.initial = value
            elif setting == "add-keywords":
                prop.keywords += value.split()
            elif setting == "EditMode":
                prop.edit_mode = value
            elif setting == "expand":
                prop.expand = value == "yes"
            elif setting == "special":
                prop.special = [member.split("=", 1) for member in value.split()]
            elif setting == "member-defaults":
                prop.member_defaults = value != "no"
            else:
                fail("%s:%d: unknown setting %s" % (OVERRIDES, number, setting))


def unique(words):
    seen = set()
    return [w for w in words if not (w in seen or seen.add(w))]


def edit_mode_of(prop):
    """The editor for a single value of this property."""
    if prop.edit_mode:
        return prop.edit_mode
    kinds = prop.kinds
    if "font-family" in kinds:
        return "getfont"
    if "image" in kinds and kinds <= {"image", "keyword", "url"}:
        return "ShowImage"
    if "color" in kinds and kinds <= {"color", "keyword", "url"}:
        return "getcolor"
    if kinds & {"length", "percentage"} and kinds <= {"length", "percentage", "keyword", "number", "integer"}:
        return "FormEdit"
    if "keyword" in kinds and not kinds & CLASS_KINDS:
        return "combo"
    return "edit"


def items_of(prop, mode, keywords_only=False):
    """(name, EditIcon) pairs: class items first, then keywords."""
    kinds = prop.kinds
    items = []
    # A combo box lists its items as choices: class words have no place there.
    if mode != "combo" and not keywords_only:
        if "color" in kinds:
            items.append(("color", "getcolor"))
        if "image" in kinds:
            items.append(("url", "getimage"))
        elif "url" in kinds:
            items.append(("url", None))
        if "length" in kinds:
            items.append(("length", None))
        if "percentage" in kinds:
            items.append(("percentage", None))
    words = (COLOUR_KEYWORDS if "color" in kinds else []) + prop.keywords + CSS_WIDE_KEYWORDS
    taken = {name for name, _ in items}
    items += [(word, None) for word in unique(words) if word not in taken]
    return items


def one_word(text):
    return text if text and " " not in text else None


def is_single_word(prop, properties):
    """A property whose value is one word: not a shorthand, or a shorthand
    whose longhands all take the same kind of word (border-width and its four
    sides), which another shorthand (border) sets with one word."""
    if not prop.shorthand:
        return True
    longhands = [properties.get(name) for name in prop.longhands]
    return bool(longhands) and all(l is not None and not l.shorthand and l.kinds == prop.kinds for l in longhands)


def longhand_default(prop, properties):
    """The one-word initial value of a property, or of every longhand of a
    single-word shorthand when they share it."""
    if not prop.shorthand:
        return one_word(prop.initial)
    initials = {properties[name].initial for name in prop.longhands}
    return one_word(initials.pop()) if len(initials) == 1 else None


def can_expand(prop, properties):
    """Whether the sub-grid can spread every word of the value over members
    told apart by the kind of their words."""
    if prop.expand is not None:
        return prop.expand
    if not prop.longhands:
        return False
    longhands = [properties.get(name) for name in prop.longhands]
    if any(l is None or not is_single_word(l, properties) or not l.kinds <= RECOGNISED_KINDS for l in longhands):
        return False
    vocabularies = [
        {name for name, _ in items_of(l, edit_mode_of(l))} - set(CSS_WIDE_KEYWORDS) for l in longhands
    ]
    for i, first in enumerate(vocabularies):
        for second in vocabularies[i + 1:]:
            # Words that two members both accept all go to the first of them.
            if 2 * len(first & second) > min(len(first), len(second)):
                return False
    return True


class Writer:
    def __init__(self):
        self.lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<KeyWords>"]

    @staticmethod
    def attributes(pairs):
        return "".join(" %s=%s" % (k, quoteattr(v)) for k, v in pairs if v is not None)

    def entry(self, name, mode, default=None, special=False, members=()):
        attrs = self.attributes([("Name", name), ("EditMode", mode), ("DefaultValue", default),
                                 ("Special", "True" if special else None)])
        self.lines.append("  <KeyWord%s>" % attrs)
        for member_name, member_mode, member_default, items in members:
            attrs = self.attributes([("Name", member_name), ("EditMode", member_mode),
                                     ("DefaultValue", member_default)])
            self.lines.append("    <Prop%s>" % attrs)
            for item, icon in items:
                self.lines.append("      <Item%s/>" % self.attributes([("Name", item), ("EditIcon", icon)]))
            self.lines.append("    </Prop>")
        self.lines.append("  </KeyWord>")

    def text(self):
        return "\n".join(self.lines + ["</KeyWords>", ""])


def member_of(name, source, keywords_only, with_default, properties):
    mode = "combo" if keywords_only else edit_mode_of(source)
    default = longhand_default(source, properties) if with_default else None
    return (name, mode, default, items_of(source, mode, keywords_only))


def build(properties):
    writer = Writer()
    for prop in properties.values():
        if prop.special:
            members = []
            for member_name, source_name in prop.special:
                source_name, _, restriction = source_name.partition("/")
                source = properties.get(source_name)
                if source is None:
                    fail("special member %s of %s: %s is not in the table" % (member_name, prop.name, source_name))
                members.append(member_of(member_name, source, restriction == "keywords", prop.member_defaults,
                                         properties))
            writer.entry(prop.name, "expand", special=True, members=members)
        elif prop.shorthand and can_expand(prop, properties):
            members = [member_of(name, properties[name], False, prop.member_defaults, properties)
                       for name in prop.longhands]
            writer.entry(prop.name, "expand", members=members)
        else:
            mode = edit_mode_of(prop)
            default = None if prop.shorthand else one_word(prop.initial)
            writer.entry(prop.name, mode, default, members=[(prop.name, mode, default, items_of(prop, mode))])
    return writer.text()


def main(argv):
    properties = read_table()
    apply_overrides(properties)
    text = build(properties)
    if argv[1:] == ["--check"]:
        with open(OUTPUT, encoding="utf-8") as current:
            if current.read() != text:
                print("data/CSSKeywords.xml is not up to date: run tools/gen_keywords.py")
                return 1
        return 0
    if argv[1:]:
        print(__doc__)
        return 2
    with open(OUTPUT, "w", encoding="utf-8", newline="\n") as output:
        output.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
