#pragma once
// A bookmark file as browsers export it, of any size: folders of 100 entries, every fifth entry
// with a description. The viewer benchmark and the check that its listing lays out unchanged
// both convert this file, so they see the same listing.
#include <string>

namespace tavlin::sample {

inline std::string BookmarkFile(int entries) {
    std::string text =
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
    for (int i = 0; i < entries; ++i) {
        if (i % 100 == 0) {
            if (i > 0) {
                text += "</DL><p>\n";
            }
            text += "<DT><H3 ADD_DATE=\"1000000000\">Folder " + std::to_string(i / 100) + "</H3>\n<DL><p>\n";
        }
        text += "<DT><A HREF=\"https://www.example.com/section/" + std::to_string(i) +
                "/page.html\" ADD_DATE=\"1000000000\">Entry " + std::to_string(i) +
                " with a title of several words</A>\n";
        if (i % 5 == 0) {
            text += "<DD>A description of the entry that runs to a few more words\n";
        }
    }
    return text + "</DL><p>\n</DL><p>\n";
}

} // namespace tavlin::sample
