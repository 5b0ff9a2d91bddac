#include "app/convert/BrowserStores.h"
#include "tests/converter/ConverterTestSupport.h"

#include <gtest/gtest.h>

namespace tavlin {
namespace {

namespace fs = std::filesystem;

class BrowserStores : public ::testing::Test {
protected:
    std::string make(const std::string& relative, const std::string& bytes = "x") {
        const std::string path = home_.file(relative);
        fs::create_directories(fs::path(path).parent_path());
        test::writeBytes(path, bytes);
        return path;
    }
    test::TempDir home_;
};

TEST_F(BrowserStores, FindsChromiumProfilesAndFirefoxProfilesOfEveryInstallKind) {
    const std::string chromeDefault = make("cfg/google-chrome/Default/Bookmarks");
    const std::string chromeSecond = make("cfg/google-chrome/Profile 2/Bookmarks");
    make("cfg/google-chrome/System Profile/Preferences"); // no bookmarks: not listed
    const std::string opera = make("cfg/opera/Bookmarks");
    const std::string snap = make("snap/chromium/common/chromium/Default/Bookmarks");
    make(".mozilla/firefox/profiles.ini",
         "[General]\nStartWithLastProfile=1\n\n[Profile1]\nName=work\n"
         "IsRelative=1\nPath=abc.work\n\n[Profile0]\nName=gone\nIsRelative=1\n"
         "Path=missing.default\n\n[Install4F96D1932A9F858E]\nDefault=abc.work\n");
    const std::string work = make(".mozilla/firefox/abc.work/places.sqlite");
    const std::string elsewhere = make("elsewhere/places.sqlite");
    make(".var/app/org.mozilla.firefox/.mozilla/firefox/profiles.ini",
         "[Profile0]\r\nName=flat\r\nIsRelative=0\r\nPath=" + home_.file("elsewhere") + "\r\n");

    EXPECT_EQ(findBrowserStores(home_.path(), home_.file("cfg")),
              (std::vector<BrowserStore>{{"Google Chrome", "Default", chromeDefault},
                                         {"Google Chrome", "Profile 2", chromeSecond},
                                         {"Chromium (Snap)", "Default", snap},
                                         {"Opera", "Default", opera},
                                         {"Firefox", "work", work},
                                         {"Firefox (Flatpak)", "flat", elsewhere}}));
}

} // namespace
} // namespace tavlin
