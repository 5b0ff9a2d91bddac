#pragma once
#include "reader/HtmlReader.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

class TSectionList;

// What the host (the viewer) hands the reader: its events, the page margins and how it expands
// names. Every event may be left unset.
struct TParseOptions {
    IncludeHandler OnInclude;
    // BGSOUND: the sound's name, the loop count and whether to stop.
    std::function<void(const std::string& src, int loop, bool stop)> OnSoundRequest;
    // META: HTTP-EQUIV, NAME and CONTENT as written.
    std::function<void(const std::string& httpEquiv, const std::string& name, const std::string& content)>
        OnMeta;
    // SCRIPT with a handler: the script's NAME, its text (line ends as CR LF) and LANGUAGE.
    std::function<void(const std::string& name, std::string text, const std::string& language)> OnScript;
    // A host that serves documents itself: the bytes for a name (false when it has none).
    std::function<bool(const std::string& name, std::string& bytes)> OnStreamRequest;
    // The host's name expansion, used with OnStreamRequest (a URL may come back).
    std::function<std::string(const std::string& name)> OnExpandName;
    // The viewer's own expansion of a name into a file name; by default a relative name is taken
    // from the directory of the file being read.
    std::function<std::string(const std::string& name)> ExpandName;
    int MarginWidth = 10;
    int MarginHeight = 5;
    bool HtmlViewer = true; // META content-type sets the character set
};

// What the viewer reads after a parse.
struct TParseResult {
    std::string DocTitle;
    std::string BaseUrl;
    std::string BaseTarget;
    // The message of the error that ended the parse early ("Open Comment at End of HTML File",
    // "Can't locate file: ..."); empty when the source was read to its end.
    std::string Error;
    // The file could not be read to its end (Error says so): what was read is in the document.
    bool ReadFailed = false;
};

// The entry points: each fills the document (cleared and given its defaults by the caller) from
// a source. Nothing in the source makes them fail: an error ends the parse, and the document
// keeps what was built before it.
TParseResult ParseHtmlFromFile(TSectionList& document, const std::string& fileName,
                               const TParseOptions& options = {});
TParseResult ParseHtmlFromBuffer(TSectionList& document, std::string_view bytes,
                                 const TParseOptions& options = {});
TParseResult ParseHtmlFromStrings(TSectionList& document, const std::vector<std::string>& lines,
                                  const TParseOptions& options = {});
TParseResult ParsePlainTextFromFile(TSectionList& document, const std::string& fileName);
TParseResult ParsePlainTextFromStrings(TSectionList& document, const std::vector<std::string>& lines);

} // namespace tavlin
