#!/usr/bin/env python3
"""Writes lang/English.lng: the English translation of every text of the program.

Each message keeps the placeholders of the built-in text in the same order (the program
refuses a message whose placeholders differ) and fits the message's capacity in characters
(the program cuts a longer one); both are checked here before anything is written, and again
by the core tests. Run it by hand after a text changes:

    python3 tools/lang/make_english.py
"""

import os
import sys

sys.dont_write_bytecode = True  # no __pycache__ beside the scripts
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import lng_format  # noqa: E402
import make_polski  # noqa: E402

CONFIRM_HINT = "Confirm changes (Ctrl+Enter)"
CANCEL_HINT = "Cancel changes (Esc)"
ADD_NUMBER_HINT = "Add a number (Ctrl+Ins)"
DELETE_NUMBER_HINT = "Delete the selected number (Ctrl+Del)"
ADD_APP_HINT = "Add an application (Ctrl+Ins)"
DELETE_APP_HINT = "Remove the selected application (Ctrl+Del)"
ANY_DIGIT = "? - any digit"
ANY_DIGITS = "* - any number of digits"
ACCELERATION_HINT = "Choose only if your phone line is busy while you are on the Internet"

# Line -> text of lines 1-134 (lines 21-23 are read and not used; line 98 is made from
# message 227 below).
CONTROLS = {
    1: "Phonebook entry:",
    2: "Phone number:",
    3: "Country:",
    4: "Device:",
    5: "Previous connection (PgUp)",
    6: "Next connection (PgDn)",
    7: "Hide",
    8: "Hide the window (Esc)",
    9: "Disconnect",
    10: "Disconnect the current connection (Ctrl+Break)",
    11: "Keep the window on top (Ctrl+F12)",
    12: "Connection:",
    13: "Show the last message (F12)",
    14: "Refresh the statistics (F5)",
    15: "Statistics",
    16: "Help",
    17: "Options",
    18: "Dial the default number",
    19: "Add-ons",
    20: "Show the list",
    21: "",
    22: "",
    23: "",
    24: "Translation",
    25: "Language",
    26: "About",
    27: "Exit",
    28: "LarkWatch",
    29: "LarkWatch~guards your phone line against dialers",
    30: "Visit the program's website",
    31: "Write to the authors",
    32: "Written by~the LarkWatch team",
    33: "Thanks to~all our testers",
    34: "Thank you for using~LarkWatch",
    35: "Hide",
    36: "Hide the window (Esc)",
    37: "LarkWatch - add-ons...",
    38: "Group",
    39: "Item",
    40: "&Download",
    41: "Download the selected add-ons",
    42: "&Close",
    43: "Hide the window (Esc)",
    44: "Description",
    45: "Name",
    46: "LarkWatch - default number",
    47: "Entry name",
    48: "Phone number:",
    49: "The number is made of the country code, e.g. +44 (United Kingdom), and the phone number",
    50: "Previous connection (PgUp)",
    51: "Next connection (PgDn)",
    52: "OK",
    53: CONFIRM_HINT,
    54: "Cancel",
    55: CANCEL_HINT,
    56: "Create a new phonebook entry (Ctrl+Ins)",
    57: "Edit the phonebook entry (F12)",
    58: "OK",
    59: "Confirm (Ctrl+Enter)",
    60: "Cancel",
    61: "Cancel (Esc)",
    62: "LarkWatch - log on...",
    63: "OK",
    64: "Confirm (Ctrl+Enter)",
    65: "Cancel",
    66: "Cancel (Esc)",
    67: "User name",
    68: "Password",
    69: "Phonebook entry name",
    70: "Country (country code)",
    71: "Phone number (area code - number)",
    72: "LarkWatch - options",
    73: "OK",
    74: CONFIRM_HINT,
    75: "Cancel",
    76: CANCEL_HINT,
    77: "General",
    78: "Show messages for (seconds)",
    79: "Start the program with Windows (highly recommended)",
    80: "Double-click a message to close its window",
    81: "Statistics window always on top of other windows",
    82: "Show messages",
    83: "In the middle of the screen",
    84: "At the bottom right",
    85: "Dangerous connections",
    86: "Connection to a dangerous number",
    87: "Dangerous numbers",
    88: DELETE_NUMBER_HINT,
    89: ADD_NUMBER_HINT,
    90: ANY_DIGIT,
    91: ANY_DIGITS,
    92: "Wait until I answer",
    93: "Refuse after (sec.)",
    94: "Disconnect at once (recommended)",
    95: "Disconnect after (min.)",
    96: "Do nothing (not recommended)",
    97: "Ask me what to do",
    99: "Safe connections",
    100: ANY_DIGIT,
    101: ANY_DIGITS,
    102: ADD_NUMBER_HINT,
    103: DELETE_NUMBER_HINT,
    104: "Safe numbers",
    105: "Default phonebook entry",
    106: "Choose",
    107: "Choose the default connection from the phonebook (Ctrl+F12)",
    108: "(recommended)",
    109: "(recommended - not for DSL, cable etc.)",
    110: ACCELERATION_HINT,
    111: "Allow only safe numbers",
    112: "Only connections within my country",
    113: "Dial the default number after disconnecting",
    114: "Use connection acceleration",
    115: ACCELERATION_HINT,
    116: "Permissions",
    117: "Dialling / hanging up",
    118: ADD_APP_HINT,
    119: DELETE_APP_HINT,
    120: ADD_APP_HINT,
    121: DELETE_APP_HINT,
    122: "Allow these applications",
    123: "Deny these applications",
    124: "Ask if the application is on neither list",
    125: "Applications (*.exe)|*.exe|All files (*.*)|*.*",
    126: "LarkWatch - question",
    127: "&No",
    128: "&Yes",
    129: "Add to &allowed",
    130: "Add to &denied",
    131: "LarkWatch - question",
    132: "&No",
    133: "&Yes",
    134: "&Yes",
}

APP_DIALS = "The following application is trying to dial"
APP_HANGS_UP = "The following application is trying to hang up the connection"
DETAILS = "\r\n\r\nDetails:\r\nNumber: %s\r\nCountry: %s"
NUMBER_COUNTRY = "\r\n\r\nNumber: %s\r\nCountry: %s\r\n\r\n"
DISCONNECT_YOURSELF = (
    "Disconnect it yourself with the Disconnect button in the statistics window...\r\n"
    "If you do not want to allow such connections in future, change the program's options..."
)
ACCELERATION_FAILED = (
    "The secure accelerated connection could not be set up.\r\n"
    "Its settings will be updated during the current connection..."
)
DANGEROUS_ASK = (
    APP_DIALS + " a dangerous number\r\n%s" + NUMBER_COUNTRY + "Allow access to the modem?"
)
CONNECTED_DANGEROUS = "Connected to a dangerous number: %s\r\nCountry: %s"
KEEP_CONNECTION = CONNECTED_DANGEROUS + "\r\n\r\nKeep this connection?"
NO_CODES = "No country or area code information"
WATCHING = "Watching..."
CONNECTING = "Connecting..."
SAFE_CONNECTION = "LarkWatch secure connection"
CHECK_OPTIONS = "\r\nCheck the program's options."
NOT_ITSELF = "You cannot add LarkWatch itself to these lists"

# Line -> text of lines 135-257.
MESSAGES = {
    135: "A new version (%s) of LarkWatch is available at http://www.larkwatch.pl\r\n"
    "Downloading it to keep your computer better protected...",
    136: "Add-on downloaded (%s)",
    137: "Downloading a new program add-on:\r\n%s",
    138: "no phonebook entries (add an entry)",
    139: "(country code +%i)   %s %s",
    140: "%s   (no country or area code)",
    141: "Time elapsed: %i min, %i sec.\r\nDisconnecting...",
    142: "Disconnecting...",
    143: "There are no active dial-up connections.",
    144: NO_CODES,
    145: APP_DIALS + "\r\n%s\r\n\r\nAllow the application to dial the number?",
    146: APP_DIALS + "\r\n%s\r\nThis application is not on the list of applications allowed "
    "to dial - access to the modem denied" + DETAILS,
    147: APP_DIALS + "\r\n%s\r\nThis application is on the list of applications not allowed "
    "to dial - access to the modem denied" + DETAILS,
    148: APP_DIALS + "\r\n%s\r\nStarting to secure and accelerate the connection",
    149: ACCELERATION_FAILED,
    150: APP_DIALS + " a number not known to be safe\r\n%s\r\nAccess to the modem denied" + DETAILS,
    151: APP_DIALS + " a country that is not allowed\r\n%s\r\nAccess to the modem denied" + DETAILS,
    152: APP_DIALS + " a dangerous number\r\n%s\r\nAccess to the modem denied" + DETAILS,
    153: APP_DIALS + " a dangerous number\r\n%s\r\nI will disconnect it %i min. after it "
    "connects" + DETAILS,
    154: "WARNING !!!!\r\n" + APP_DIALS + " a dangerous number\r\n%s" + NUMBER_COUNTRY
    + DISCONNECT_YOURSELF,
    155: "WARNING !!!!\r\nAt the user's request LarkWatch is dialling a dangerous number!\r\n%s"
    + NUMBER_COUNTRY
    + DISCONNECT_YOURSELF,
    156: DANGEROUS_ASK,
    157: DANGEROUS_ASK,
    158: "Application %s\r\nis dialling the number: %s\r\nCountry: %s",
    159: APP_HANGS_UP + "\r\n%s\r\n\r\nAllow the application to hang up?",
    160: APP_HANGS_UP + "\r\n%s\r\nThis application is not on the list of applications allowed "
    "to hang up - access to the modem denied",
    161: APP_HANGS_UP + "\r\n%s\r\nThis application is on the list of applications not allowed "
    "to hang up - access to the modem denied",
    162: "The following application is hanging up the phone connection\r\n%s\r\n"
    "This may take a moment.",
    163: "----------------------------------\r\nDial attempt\r\n%s - %s\r\n",
    164: "Phonebook entry: %s - phonebook: %s\r\n\r\n",
    165: "Allowed",
    166: "Blocked",
    167: "----------------------------------\r\nHang-up attempt\r\n%s - %s\r\n",
    168: "Allowed",
    169: "Blocked",
    170: "LarkWatch team",
    171: "http://www.larkwatch.pl",
    172: "autor@larkwatch.pl",
    173: "I am already running...\r\nLook for me in the taskbar :o)",
    174: WATCHING,
    175: SAFE_CONNECTION,
    176: "no phonebook entry",
    177: SAFE_CONNECTION,
    178: NO_CODES,
    179: "Status: no dial-up connections",
    180: "Status: dial-up connections found: %i",
    181: "Disconnecting at the user's request.\r\nThis may take a moment...",
    182: "Could not read the connection list.",
    183: "Could not read the phonebook.",
    184: "Connected...",
    185: "Connected to number %s.\r\nCountry: %s",
    186: "Connected to number %s.",
    187: "Connected to the LarkWatch secure number (%s).",
    188: "Connected to a number not known to be safe.\r\nNumber: %s\r\n\r\nDisconnecting...",
    189: "Connected to a forbidden country (%s).\r\nNumber: %s\r\n\r\nDisconnecting...",
    190: "Connected to a dangerous number.\r\nNumber: %s\r\nCountry: %s\r\n\r\nDisconnecting...",
    191: "Connected to a dangerous number.\r\nNumber: %s\r\nCountry: %s\r\n\r\n"
    "Disconnecting in %i minutes...",
    192: "WARNING !!!!\r\nConnected to a dangerous number.\r\nNumber: %s\r\nCountry: %s\r\n\r\n"
    "Disconnect with the button in the statistics window...",
    193: CONNECTED_DANGEROUS,
    194: KEEP_CONNECTION,
    195: CONNECTED_DANGEROUS,
    196: KEEP_CONNECTION,
    197: WATCHING,
    198: "The modem connection has ended.",
    199: "The modem was reset.",
    200: "LarkWatch - statistics - (%i) %s",
    201: "Opening the port...",
    202: "Port opened.",
    203: "Connecting to the remote computer...",
    204: "Connected to the remote computer...",
    205: "Checking user name and password...",
    206: "Verification in progress...",
    207: "Registering on the network...",
    208: "Retrying the logon...",
    209: "Logged on :o)",
    210: "Connected :o)",
    211: "Disconnected.",
    212: "Entry \"%s\" was not found in the phonebook.\r\nChoose an entry in the options.",
    213: "The phonebook is missing or damaged.",
    214: "(no area code) %s",
    215: "no data",
    216: "No password was given for user \"%s\".\r\nConnection cancelled.",
    217: CONNECTING,
    218: WATCHING,
    219: ACCELERATION_FAILED,
    220: "Do you really want to close the program?\r\nYour phone line will no longer be protected.",
    221: "Closing...",
    222: "Setting up the accelerated LarkWatch Internet connection...\r\n"
    "This connection (%s) is faster, secure ;o) and costs the same as other modem connections.\r\n"
    "You can turn acceleration off in the program's options, menu %s->%s.",
    223: CONNECTING,
    224: WATCHING,
    225: "Add-on '%s' has an invalid authorisation key (it may be fake).\r\n"
    "For your safety, remove this add-on.",
    226: "An error occurred while loading the program's settings.",
    227: "This page is not available because the option \"%s\" on the \"%s\" tab is chosen. "
    "LarkWatch will then only allow connections to the numbers of the \"%s\" list on the "
    "\"%s\" tab.\r\nTo make this page available, turn off the option \"%s\".",
    228: "Remove this number from the list of dangerous numbers?",
    229: "Enter a dangerous phone number",
    230: "The mask (number pattern) you entered makes every number dangerous.\r\n"
    "Are you sure you want this?",
    231: "Choose what LarkWatch should do when something tries to dial this number.\r\n"
    "The default choice is \"%s\"",
    232: "These settings do not keep you safe.\r\nChoose \"%s\" on the \"%s\" tab or one of the "
    "\"%s\" options on the \"%s\" tab.\r\nTo keep these (unsafe) settings anyway, choose YES.",
    233: "The dangerous numbers file is damaged." + CHECK_OPTIONS,
    234: "The safe numbers file is damaged." + CHECK_OPTIONS,
    235: "The allowed applications file is damaged." + CHECK_OPTIONS,
    236: "The denied applications file is damaged." + CHECK_OPTIONS,
    237: "The program is not configured yet and needs to be set up.\r\n"
    "Shall I configure it automatically? This gives full control and security.",
    238: "LarkWatch - choose a safe number for the Internet",
    239: "Do you connect to the Internet with a dial-up modem?\r\n"
    "This means only connections made over the phone line itself (while you are online, "
    "the line is busy).\r\nIf you use DSL, cable or another always-on connection, choose NO.",
    240: "No default number was chosen. Please set the options yourself.",
    241: "The program has been configured. Your computer is now protected against unwanted "
    "connections.",
    242: "The program's settings are not valid.\r\nPlease check and correct all of its options.",
    243: "Warnings were shown because of errors in the program's settings. Such errors can "
    "be caused, among other things, by other programs (dialers too) tampering with "
    "LarkWatch's settings.\r\nThe program needs to be set up again. Open the options now?",
    244: "Enter a safe phone number",
    245: "The mask (number pattern) you entered makes every number safe.\r\n"
    "Are you sure you want this?",
    246: "As there are no numbers on the dangerous list, LarkWatch will only allow dialling the "
    "number(s) you enter now.\r\nTo enter dangerous numbers, clear the option \"%s\"",
    247: "Remove this number from the list of safe numbers?",
    248: "There are no numbers left on the \"Safe numbers\" list.\r\n"
    "The option \"Allow only safe numbers\" will be turned off.",
    249: "Please add numbers to \"Safe numbers\" first",
    250: "The chosen entry has no country or area code, so it was not saved in the settings.\r\n"
    "Choose another entry or change the dialling properties of this entry.\r\n"
    "You can also clear the option \"Only connections within my country\".",
    251: "Remove this application from the list of applications allowed to dial?",
    252: "Remove this application from the list of applications not allowed to dial?",
    253: "Choose an application that may dial",
    254: NOT_ITSELF,
    255: "Choose an application that may not dial",
    256: NOT_ITSELF,
    257: "Answering NO in %i seconds",
}


def check():
    """Every text is there; every message keeps the built-in placeholders and fits."""
    problems = []
    for line in range(lng_format.FIRST_CONTROL_LINE, lng_format.LAST_CONTROL_LINE + 1):
        if line != 98 and line not in CONTROLS:
            problems.append(f"control line {line} is missing")
    for line, (capacity, built_in) in make_polski.MESSAGES.items():
        text = MESSAGES.get(line)
        if text is None:
            problems.append(f"message {line} is missing")
            continue
        if len(text) > capacity:
            problems.append(f"message {line} has {len(text)} characters, capacity {capacity}")
        translator = line in (170, 171, 172)
        kinds = lng_format.placeholder_kinds(text)
        if not translator and kinds != lng_format.placeholder_kinds(built_in):
            problems.append(f"message {line} has placeholders {kinds!r}")
    return problems


def notebook_explanation():
    """Line 98: the options dialog's explanation for a page that is switched off, as the dialog
    formats it from message 227 and its captions; a control line holds no line break."""
    only_safe, safe_page, safe_list = CONTROLS[111], CONTROLS[99], CONTROLS[104]
    text = MESSAGES[227] % (only_safe, safe_page, safe_list, safe_page, only_safe)
    return text.replace("\r\n", " ")


def main():
    problems = check()
    if problems:
        sys.exit("\n".join(problems))
    controls = dict(CONTROLS)
    controls[98] = notebook_explanation()
    lng_format.write(os.path.join(lng_format.lang_dir(), "English.lng"), controls, MESSAGES)


if __name__ == "__main__":
    main()
