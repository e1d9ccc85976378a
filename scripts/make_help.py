#!/usr/bin/env python3
"""Writes the help files into assets/ (or the folder given): muf_guide.rtf, clx_help.rtf and
wwc_help.rtf. Each document is a list of (kind, text) pairs: "h1" a title, "h2" a heading, "p" a
paragraph, "li" a list item; **word** is bold and _word_ italic inside a paragraph."""
import os
import re
import sys

HEAD = (r"{\rtf1\ansi\ansicpg1252\deff0\uc1{\fonttbl{\f0\fswiss Arial;}{\f1\fmodern Courier New;}}"
        r"{\colortbl;\red31\green95\blue168;\red96\green96\blue96;}" "\r\n"
        r"{\*\generator zenthra make_help.py;}" "\r\n")


def escape(text):
    out = []
    for ch in text:
        code = ord(ch)
        if ch in "\\{}":
            out.append("\\" + ch)
        elif code < 128:
            out.append(ch)
        elif code < 256:
            out.append("\\'%02x" % code)
        else:
            out.append("\\u%d?" % (code if code < 32768 else code - 65536))
    return "".join(out)


def inline(text):
    text = escape(text)
    text = re.sub(r"\*\*(.+?)\*\*", r"{\\b \1}", text)
    text = re.sub(r"(?<![\w])_(.+?)_(?![\w])", r"{\\i \1}", text)
    text = re.sub(r"`(.+?)`", r"{\\f1 \1}", text)
    return text


def document(parts):
    body = [HEAD]
    for kind, text in parts:
        if kind == "h1":
            body.append(r"\pard\plain\f0\fs36\b\cf1 " + inline(text) + r"\par" "\r\n")
        elif kind == "h2":
            body.append(r"\pard\plain\f0\fs20\par" "\r\n")
            body.append(r"\pard\plain\f0\fs28\b\cf1 " + inline(text) + r"\par" "\r\n")
        elif kind == "li":
            body.append(r"\pard\plain\f0\fs20\li360 \bullet  " + inline(text) + r"\par" "\r\n")
        else:
            body.append(r"\pard\plain\f0\fs20 " + inline(text) + r"\par" "\r\n")
    body.append("}\r\n")
    return "".join(body).encode("ascii")


MANUAL = [
    ("h1", "Zenthra \u2013 user's guide"),
    ("p", "Zenthra watches the DX-cluster for VHF spots, sorts each spot by its propagation mode and "
          "works out, for every sporadic-E (ES) contact, where the reflection happened and how high "
          "the usable frequency was. The figures go to the text windows and to the spots database."),
    ("h2", "First start"),
    ("li", "Type your own locator into **Home Locator** at the bottom of the main window (for "
           "example `IO90IR`). The paths \u201cfrom you\u201d are worked out from it."),
    ("li", "Add a DX-cluster node: **DXC > Edit Available DXC's** (see the DX Cluster help), or "
           "import a list of nodes with **DXC > Import DXCs from dxc.csv**. Click the node in the "
           "list: it becomes your current node."),
    ("li", "Choose **DXC > Connect**. The title bar shows the state of the link. Tick **DXC > Auto "
           "CLX?** to connect at every start and to answer the node's login prompts with your call "
           "and password."),
    ("li", "All files live in one data folder: the one given with `--folder`, else `$ZENTHRA_HOME`, "
           "else `~/.local/share/zenthra`. The settings are kept in `zenthra.dat` there."),
    ("h2", "Reading the MUF figures"),
    ("p", "For a spot that counts as sporadic-E, the MUF SPOTS tab shows a report like this:"),
    ("p", "`es from JN59MM to IN50MM on 50.110. (QTF=245) (El=2) (QRB=1855km)`"),
    ("p", "`Centre=JN15AM Crit Freq=7.1mhz`"),
    ("p", "`From IO91WM try towards JM29OM   (QTF=165) (El=5) (QRB=1380km)`"),
    ("p", "`MUF=51.2mhz  FOT=43.5mhz`"),
    ("li", "**es from ... to ...**: the two stations' locators and the frequency in MHz; **QTF** is the "
           "bearing from the spotter in degrees, **El** the take-off angle for a single hop at the E-layer "
           "height you set, **QRB** the length of the path."),
    ("li", "**Centre**: the locator half-way along the path, under the reflecting patch of the E layer."),
    ("li", "**Crit Freq**: the critical frequency (foEs) of the patch, the highest frequency it reflects "
           "straight up."),
    ("li", "**From ... try towards ...**: where to point from your own locator so that your signal meets "
           "the same patch, with its bearing, elevation and distance. Double-hop lines follow when "
           "**ES Options > Double Hop** asks for them."),
    ("li", "**MUF**: the highest frequency the patch reflects over this path; signals above it pass "
           "through. **FOT**, a little below, is where signals are strongest. A 50 MHz spot over "
           "1500 km means a MUF of at least 50 MHz there."),
    ("p", "A rising MUF over the same mid-point from spot to spot means the cloud is intensifying: "
          "watch the higher bands. Spots more than 5000 km from you are left out unless **ES Options > "
          "Min - Max QRBs > Show ES Contacts > 5000km from you?** is ticked."),
    ("h2", "The ES options"),
    ("li", "**E Layer Height** and **MASL** set the reflection height and your height above sea level; "
           "both change the elevation and the MUF."),
    ("li", "**Bell MUF Start Point (ES)** sets the MUF from which the ES alarm sounds (Options > DX Alarms)."),
    ("li", "**Min - Max QRBs** set the shortest paths counted as ES on 6 m, 4 m and 2 m and the longest on 6 m."),
    ("h2", "The link menus"),
    ("li", "**DXC**, **WWC** and **BBS**: connect, disconnect, status in the title bar, the node "
           "editors and imports, and the separate windows."),
    ("li", "**Set auto DXC reconnect timer**: every so many minutes (5 to 300, 0 turns it off) an empty "
           "line keeps the link alive and a dead link is connected again."),
    ("li", "**Show DXC in seperate window?** and **Show WWC in seperate window?** open the text in a "
           "window of its own, which keeps its place and size. Type **EXIT** in its command box to close it."),
    ("h2", "Databases"),
    ("p", "By default the spots are kept in `spots.sqlite` in the data folder. **File > SQL Server "
          "Settings** switches to a PostgreSQL server. **Options > Make copy of Db** writes a consistent "
          "copy, `spots_backup.sqlite`."),
]

CLX = [
    ("h1", "DX Cluster help"),
    ("h2", "Setting up a node"),
    ("p", "Open **DXC > Edit Available DXC's**. Click **New**, then fill in:"),
    ("li", "**Friendly Name**: any name you will recognise."),
    ("li", "**IP / Host Address**: the node's host name or address, for example `dx.example.net`."),
    ("li", "**Port Number**: the node's telnet port, 1 to 65535 (often 7300 or 8000)."),
    ("li", "**Username**: your call sign, sent at the node's login prompt."),
    ("li", "**Password**: only if the node asks for one. It is never shown in the list."),
    ("p", "Click **Update** to save. Then click the node in the list: it becomes your current DX "
          "cluster, and the next **Connect** goes there. A link that is connected stays with its node "
          "until you connect again."),
    ("h2", "Importing a list of nodes"),
    ("p", "Put `DXC.csv` in the data folder (any letter case of the name will do). Each line is "
          "_name,host,port_; lines starting with `#` or a blank, and lines shorter than five "
          "characters, are passed over. A host may itself hold commas: everything between the first "
          "and the last comma is the host. Then open **DXC > Import DXCs from dxc.csv**, type the call "
          "sign and password every node should use, and click **IMPORT**. Nodes whose name is "
          "already in the list are skipped, so running the import again adds nothing twice."),
    ("h2", "Options of the DXC menu"),
    ("li", "**Auto CLX?**: connect at start and log in with your call and password."),
    ("li", "**Disable window auto Scroll**: the DXC window stays where you scrolled it."),
    ("li", "**Limit spot info to 27 char?**: cuts long spot comments."),
    ("li", "**Echo DXC input?**: shows what you send as >>>command<<< in the window."),
    ("li", "**DXC Status**: shows the link's state in the title bar."),
    ("li", "**Always on top?**: keeps the separate DXC window above the others."),
    ("h2", "Useful cluster commands"),
    ("li", "`sh/dx` \u2013 the latest spots; `sh/dx 50` \u2013 the latest on 6 m."),
    ("li", "`sh/wwv` \u2013 solar and geomagnetic figures."),
    ("li", "`dx 50110 XX1XX JO22 ES` \u2013 send a spot; put both locators in the comment so others "
           "can work out the path."),
    ("li", "`bye` \u2013 log off (**DXC > Disconnect** does this for you)."),
]

WWC = [
    ("h1", "WWC chat help"),
    ("h2", "Setting up a chat node"),
    ("p", "Open **WWC > Edit Available WWC's** and add the node as for a DX cluster: name, host, "
          "port, your call and password. The **WWC Connection String** is the command that joins a "
          "channel after login, for example `/n XX1XX 14345` for channel 14345. Click the node in "
          "the list to make it your current chat node, then **WWC > Connect**."),
    ("p", "A list of chat nodes can be imported from `wwc.csv` (lines _name,host,port_) with **WWC > "
          "Import WWC from wwc.csv**; the channel box there sets the channel for every imported node."),
    ("h2", "Options of the WWC menu"),
    ("li", "**Reconnect WWC with DXC?**: the reconnect timer keeps the chat link alive as well."),
    ("li", "**Start WWC with program?**: connect the chat link at start."),
    ("li", "**See DXC window in WWC?**: shows the DX-cluster text above the chat."),
    ("li", "**Echo WWC Input?**: shows what you send in the chat window."),
    ("li", "**Message options**: a sound or a pop-up for private messages and for lines that mention your call."),
    ("li", "**Enable dbl left click/highlight to send /msg**: select a call in the chat text and the "
           "command line is prepared with /MSG and that call."),
    ("h2", "Chat commands"),
    ("li", "`/msg CALL text` \u2013 a private message."),
    ("li", "`/who` \u2013 who is on the channel."),
    ("li", "`/away text` and `/back` \u2013 mark yourself away and back."),
    ("li", "`/quit` \u2013 leave (**WWC > Disconnect** does this for you)."),
    ("h2", "The BBS link"),
    ("p", "The BBS menu works the same way: **BBS > Edit Available BBS's** holds the nodes; the "
          "connection string holds the node commands sent after login, with `#` for each line break "
          "(for example `PACKET # c XX1XX-7`)."),
]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "assets")
    for name, parts in (("muf_guide.rtf", MANUAL), ("clx_help.rtf", CLX), ("wwc_help.rtf", WWC)):
        with open(os.path.join(target, name), "wb") as f:
            f.write(document(parts))


if __name__ == "__main__":
    main()
