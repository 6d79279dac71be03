"""Writing LarkWatch language files (*.lng).

A language file has 257 lines, each ended by CR LF, in Windows code page 1250. Line k always
sets the same text: lines 1-134 the captions and hints of the windows' controls, lines
135-257 the message texts. Every line written here starts with a label, the line number and
a '|', which the program drops together with the '|'; the label keeps the file readable and
lets a text carry '|' of its own (the open dialog's filter on line 125 does).

Control lines are taken by the program as they stand, so they cannot hold a line break.
Message lines are unescaped by the program: \\r, \\n, \\t and \\\\ give CR, LF, TAB and a
backslash, so every such character of a message is written as its escape.
"""

import os

FIRST_CONTROL_LINE = 1
LAST_CONTROL_LINE = 134
FIRST_MESSAGE_LINE = 135
LAST_MESSAGE_LINE = 257
UNUSED_LINES = (21, 22, 23)
ENCODING = "cp1250"

_ESCAPES = {"\\": "\\\\", "\r": "\\r", "\n": "\\n", "\t": "\\t"}


def escape_message(text):
    """A message text as a message line carries it."""
    return "".join(_ESCAPES.get(ch, ch) for ch in text)


def placeholder_kinds(text):
    """The placeholders of a format text in order, as the program compares them: 's' for a
    text, 'i' for an integer (%i, %d, %u), '?' for anything else after a '%'."""
    kinds = []
    i = 0
    while i < len(text):
        if text[i] != "%":
            i += 1
            continue
        if text[i + 1 : i + 2] == "%":
            i += 2
            continue
        j = i + 1
        while j < len(text) and (text[j] in "-+ #." or text[j].isdigit()):
            j += 1
        if j >= len(text):
            kinds.append("?")
        else:
            kinds.append({"s": "s", "i": "i", "d": "i", "u": "i"}.get(text[j], "?"))
        i = j + 1
    return "".join(kinds)


def render(controls, messages):
    """The bytes of a language file.

    controls: line -> text for every line 1-134 (lines 21-23 are read and not used; they are
    written empty). messages: line -> text for every line 135-257.
    """
    lines = []
    for line in range(FIRST_CONTROL_LINE, LAST_CONTROL_LINE + 1):
        text = "" if line in UNUSED_LINES else controls[line]
        if "\r" in text or "\n" in text:
            raise ValueError(f"control line {line} holds a line break")
        lines.append(f"{line:03d}|{text}")
    for line in range(FIRST_MESSAGE_LINE, LAST_MESSAGE_LINE + 1):
        lines.append(f"{line:03d}|{escape_message(messages[line])}")
    # Fails on a character that code page 1250 lacks rather than writing '?'.
    return "".join(text + "\r\n" for text in lines).encode(ENCODING, errors="strict")


def write(path, controls, messages):
    data = render(controls, messages)
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data)
    line_count = data.count(b"\r\n")
    print(f"{os.path.normpath(path)}: {line_count} lines, {len(data)} bytes")


def lang_dir():
    """The lang/ folder of the repository."""
    return os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "lang")
