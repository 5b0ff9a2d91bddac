#pragma once
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

class TSectionList;

// The input/output error of loading ("Can't locate file: ...").
class EInOutError : public std::runtime_error {
public:
    explicit EInOutError(const std::string& message) : std::runtime_error(message) {}
};

// What a host hears of while a document is read (each meta tag, sound requests, include
// directives; any may stay empty), how it makes names full, and the page margins.
struct TLoadHooks {
    std::function<void(const std::string& httpEquiv, const std::string& name, const std::string& content)>
        OnMeta;
    std::function<void(const std::string& source, int loop)> OnSoundRequest;
    std::function<std::string(std::string_view command, std::vector<std::string> params)> OnInclude;
    std::function<std::string(const std::string& name)> ExpandName;
    int MarginWidth = 10;
    int MarginHeight = 5;
};

// What the reader found besides the document itself.
struct TLoadResult {
    std::string Title;
    std::string Base;
    std::string BaseTarget;
    // Set when the file could not be read to its end: the message the user is shown after the
    // part that was read.
    std::string ReadError;
};

// The reader's entry points as the viewer uses them: each fills an initialised document and
// finishes it. The reader never rejects HTML; what it cannot read it leaves out.
TLoadResult ReadHtmlFile(TSectionList& document, const std::string& path, const TLoadHooks& hooks);
TLoadResult ReadHtmlLines(TSectionList& document, const std::vector<std::string>& lines,
                          const TLoadHooks& hooks);
TLoadResult ReadHtmlString(TSectionList& document, std::string_view html, const TLoadHooks& hooks);

} // namespace tavlin
