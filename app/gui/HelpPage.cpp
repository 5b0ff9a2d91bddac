#include "app/gui/HelpPage.h"

namespace tavlin {

const std::vector<std::string>& helpPageLines() {
    static const std::vector<std::string> lines = {
        "<HTML>",
        "<BODY BGCOLOR=\"#FFFFFF\">",
        "<P><B><FONT SIZE=\"+2\">Tavlin - Find out where your",
        "favorites / bookmark file is stored.</FONT></B></P>",

        "<P><U><B><FONT COLOR=\"#0000FF\">Netscape Users</FONT></B>: Netscape keeps all bookmarks in one",
        "text file, usually called \"BOOKMARK.HTM\". To find it:</U></P>",
        "<OL>",
        "<LI>Open Netscape.",
        "<LI>Press CTRL-B; the bookmark window opens.",
        "<LI>Choose File -&gt; Save as.",
        "<LI>The dialog shows the name of the default bookmark file in its default directory.",
        "It is often \"C:\\Program Files\\Netscape\\Users\\YourID\\Bookmark.htm\", on Linux",
        "\"~/.netscape/bookmarks.html\" or \"~/.mozilla/YourID/bookmarks.html\".",
        "</OL>",

        "<P><U><B><FONT COLOR=\"#0000FF\">Firefox and Chrome Users</FONT></B>: today's browsers keep",
        "their bookmarks in a database of their own and export them as a bookmark file:</U></P>",
        "<OL>",
        "<LI>Firefox: press CTRL-SHIFT-O to open the Library, choose Import and Backup -&gt;",
        "Export Bookmarks to HTML..., and save \"bookmarks.html\" in your home folder.",
        "<LI>Chrome and Chromium: press CTRL-SHIFT-O to open the Bookmark manager, open its menu",
        "(the three dots) and choose Export bookmarks.",
        "<LI>Point Tavlin to the saved file with &quot;Browse&quot; in Netscape Bookmark File mode.",
        "</OL>",

        "<P><U><B><FONT COLOR=\"#0000FF\">MS Internet Explorer Users</FONT></B>: MSIE keeps favorites in",
        "several levels of folders, and you need the location of the Favorites folder. It is",
        "usually <I>\"C:\\windows\\favorites\"</I> or <I>\"C:\\windows\\profiles\\YOUR LOGIN ID\\Favorites\"</I>;",
        "copied to this machine, <I>\"~/Favorites\"</I>. To find it on the Windows machine:</U></P>",
        "<OL>",
        "<LI>Open MSIE.",
        "<LI>Press CTRL-B; the \"Organize Favorites\" window lists your favorites.",
        "<LI>Click an entry, then the right mouse button.",
        "<LI>Choose PROPERTY, the last menu entry.",
        "<LI>Select the \"General\" tab.",
        "<LI>The \"Location\" part gives the full path.",
        "</OL>",

        "<P>Once you know the location, open Tavlin, point it to your Favorites directory and click",
        "<B><FONT SIZE=\"+1\">Convert Now</FONT></B> to list all the addresses in your Favorites folders.</P>",
        "<BR><HR width=70%><BR>",
        "<P ALIGN=\"CENTER\">Tavlin ver 5.00</P>",
        "</BODY>",
        "</HTML>",
    };
    return lines;
}

} // namespace tavlin
