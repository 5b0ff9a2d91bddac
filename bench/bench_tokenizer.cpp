// Tokenizing 20 MB of HTML: our reader against libxml2's HTML parser with SAX callbacks that do
// nothing, on the same bytes in the same run. Two inputs: a 150,000-entry bookmark listing in the
// converter's format, and a page mixing tables, character references and style sheets.
// Counters: MB/s (bytes_per_second) and heap allocations per kilobyte of input.
#include "reader/HtmlReader.h"
#include "reader/StyleSheet.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#ifdef TAVLIN_HAVE_LIBXML2
#include <libxml/HTMLparser.h>
#endif

namespace {

std::atomic<size_t> gAllocations{0};

} // namespace

void* operator new(size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

// A listing as the converter writes it: folders as bold headings, entries under DL lists.
const std::string& listing() {
    static const std::string html = [] {
        std::string s = "<HTML><HEAD><TITLE>Bookmarks of Someone</TITLE></HEAD>\r\n<BODY>\r\n<DL>\r\n";
        for (int i = 0; i < 150000; ++i) {
            if (i % 40 == 0) {
                s += "<BR><B><font size=+1>Folder " + std::to_string(i / 40) + "</font></b>\r\n<DL>\r\n";
            }
            const std::string url = "http://www.example" + std::to_string(i % 977) + ".com/path/page" +
                                    std::to_string(i) + ".html";
            s += "<DT>Title number " + std::to_string(i) + " of a site-<a href=\"" + url + "\"><B>  " + url +
                 "</B></a>\r\n";
            if (i % 40 == 39) {
                s += "</DL>\r\n";
            }
        }
        s += "</DL>\r\n</BODY></HTML>\r\n";
        return s;
    }();
    return html;
}

// Tables, character references, comments and style sheets, repeated to 20 MB.
const std::string& mixedPage() {
    static const std::string html = [] {
        const std::string style =
            "<STYLE TYPE=\"text/css\"><!--\r\n  p.note { color: #336699; margin: 1em 2em }\r\n"
            "  td.x { border: 1px solid #ccc; font: italic bold 12pt/14pt arial, sans-serif }\r\n"
            "  ul li { list-style: square } a:hover { background: url(img/bg.gif) no-repeat "
            "}\r\n--></STYLE>\r\n";
        const std::string block =
            "<TABLE BORDER=1 CELLPADDING=2 CELLSPACING=0 WIDTH=\"100%\" BGCOLOR=#FFFFEE>\r\n"
            "<TR><TH ALIGN=left>Caf&eacute; &amp; cr&egrave;me</TH><TH>Price &#8364;</TH></TR>\r\n"
            "<TR><TD CLASS=x VALIGN=top>Espresso &mdash; d&eacute;j&agrave; vu</TD><TD "
            "ALIGN=right>2.50</TD></TR>\r\n"
            "<TR><TD CLASS=x>Cappuccino&nbsp;grande &lt;hot&gt;</TD><TD ALIGN=right>3.75</TD></TR>\r\n"
            "</TABLE>\r\n<!-- a comment between tables -->\r\n"
            "<P CLASS=note STYLE=\"font-size: 90%\">Some paragraph text with <B>bold</B>, <I>italic</I> and "
            "<A HREF=\"page.htm#x\" TARGET=_top>a link</A>; quotes &quot;like this&quot; and &hellip; more "
            "words to fill a line of ordinary prose.</P>\r\n<UL><LI>one<LI>two &copy; 2001<LI>three</UL>\r\n";
        std::string s = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\">\r\n<HTML><BODY>\r\n";
        // A style sheet every few tables, as pages of many sections have them.
        for (int i = 0; s.size() < 20 * 1000 * 1000; ++i) {
            if (i % 8 == 0) {
                s += style;
            }
            s += block;
        }
        s += "</BODY></HTML>\r\n";
        return s;
    }();
    return html;
}

// The reader as the builder drives it: tokens to the end, STYLE contents through the style-sheet
// reader.
size_t tokenizeWithReader(const std::string& html, tavlin::THtmlReader& reader, tavlin::TStyleList& styles) {
    reader.UseSource(html);
    reader.Advance();
    size_t tokens = 0;
    const std::function<char()> getChar = [&reader] {
        reader.NextCh();
        return reader.CurCh;
    };
    const std::function<char()> peekChar = [&reader] { return reader.PeekRawChar(); };
    for (;;) {
        reader.NextToken();
        ++tokens;
        if (reader.CurSym == tavlin::symEof) {
            return tokens;
        }
        if (reader.CurSym == tavlin::tagSTYLE) {
            tavlin::ParseStyleSheet(styles, reader.CurCh, getChar, {}, peekChar);
            reader.CurUpCh = reader.CurCh;
        }
    }
}

void runReader(benchmark::State& state, const std::string& html) {
    tavlin::THtmlReader reader;
    tavlin::TStyleList styles;
    styles.LoadDefaults(tavlin::TStyleDefaults{});
    size_t allocations = 0;
    for (auto _ : state) {
        const size_t before = gAllocations.load();
        benchmark::DoNotOptimize(tokenizeWithReader(html, reader, styles));
        allocations += gAllocations.load() - before;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(html.size()));
    state.counters["allocs_per_KB"] =
        double(allocations) / double(state.iterations()) / (double(html.size()) / 1024);
    state.counters["MB"] = double(html.size()) / 1e6;
}

void BM_Reader_Listing(benchmark::State& state) {
    runReader(state, listing());
}
void BM_Reader_MixedPage(benchmark::State& state) {
    runReader(state, mixedPage());
}
BENCHMARK(BM_Reader_Listing)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Reader_MixedPage)->Unit(benchmark::kMillisecond)->MinTime(2);

#ifdef TAVLIN_HAVE_LIBXML2
void noStart(void*, const xmlChar*, const xmlChar**) {}
void noEnd(void*, const xmlChar*) {}
void noChars(void*, const xmlChar*, int) {}
void noComment(void*, const xmlChar*) {}

void runLibxml2(benchmark::State& state, const std::string& html) {
    htmlSAXHandler sax{};
    sax.startElement = noStart;
    sax.endElement = noEnd;
    sax.characters = noChars;
    sax.ignorableWhitespace = noChars;
    sax.cdataBlock = noChars;
    sax.comment = noComment;
    size_t allocations = 0;
    for (auto _ : state) {
        const size_t before = gAllocations.load();
        htmlParserCtxtPtr ctxt =
            htmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
        htmlCtxtUseOptions(ctxt, HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
        htmlParseChunk(ctxt, html.data(), int(html.size()), 1);
        htmlFreeParserCtxt(ctxt);
        allocations += gAllocations.load() - before; // libxml2 allocates with malloc: not counted
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(html.size()));
    state.counters["MB"] = double(html.size()) / 1e6;
}

void BM_Libxml2_Listing(benchmark::State& state) {
    runLibxml2(state, listing());
}
void BM_Libxml2_MixedPage(benchmark::State& state) {
    runLibxml2(state, mixedPage());
}
BENCHMARK(BM_Libxml2_Listing)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Libxml2_MixedPage)->Unit(benchmark::kMillisecond)->MinTime(2);
#endif

} // namespace

BENCHMARK_MAIN();
