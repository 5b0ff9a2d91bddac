#include "viewer/DocumentLoad.h"

#include "builder/HtmlParser.h"

namespace tavlin {

namespace {

TParseOptions parseOptions(const TLoadHooks& hooks) {
    TParseOptions options;
    options.OnInclude = hooks.OnInclude;
    if (hooks.OnSoundRequest) {
        options.OnSoundRequest = [&hooks](const std::string& source, int loop, bool) {
            hooks.OnSoundRequest(source, loop);
        };
    }
    options.OnMeta = hooks.OnMeta;
    options.ExpandName = hooks.ExpandName;
    options.MarginWidth = hooks.MarginWidth;
    options.MarginHeight = hooks.MarginHeight;
    return options;
}

TLoadResult loadResult(const TParseResult& parsed) {
    return {parsed.DocTitle, parsed.BaseUrl, parsed.BaseTarget,
            parsed.ReadFailed ? parsed.Error : std::string()};
}

} // namespace

TLoadResult ReadHtmlFile(TSectionList& document, const std::string& path, const TLoadHooks& hooks) {
    return loadResult(ParseHtmlFromFile(document, path, parseOptions(hooks)));
}

TLoadResult ReadHtmlLines(TSectionList& document, const std::vector<std::string>& lines,
                          const TLoadHooks& hooks) {
    return loadResult(ParseHtmlFromStrings(document, lines, parseOptions(hooks)));
}

TLoadResult ReadHtmlString(TSectionList& document, std::string_view html, const TLoadHooks& hooks) {
    return loadResult(ParseHtmlFromBuffer(document, html, parseOptions(hooks)));
}

} // namespace tavlin
