// install_test.cpp: the desktop install as a user gets it: cmake --install
// into a prefix of its own, the installed program started from another
// folder, the desktop entry and the manual page checked by Debian's own
// tools, and the Debian package holding exactly that install.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "session.h"
#include "tomo.h"

#ifdef TOMO_BINARY_DIR

namespace {

using namespace e2e;

struct Ran {
    int status;
    std::string out;  // standard output and error together
};

Ran Shell(const std::string &command) {
    Ran r{-1, ""};
    FILE *p = popen((command + " 2>&1").c_str(), "r");
    if (p == nullptr) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string Quoted(const std::string &s) { return "'" + s + "'"; }

// The files under a folder, by their paths from it.
std::set<std::string> FilesUnder(const std::string &top) {
    std::set<std::string> files;
    for (const auto &e : fs::recursive_directory_iterator(top))
        if (!e.is_directory()) files.insert(fs::relative(e.path(), top).string());
    return files;
}

// What an install puts under its prefix.
std::set<std::string> InstalledFiles() {
    std::set<std::string> files = {"bin/tomo", "share/tomo/simplefont.tga", "share/applications/tomo.desktop",
                                   "share/man/man1/tomo.1"};
    for (int px : {24, 48, 96, 192})
        files.insert("share/icons/hicolor/" + std::to_string(px) + "x" + std::to_string(px) + "/apps/tomo.png");
    return files;
}

// A fresh install into a prefix of its own.
class Installed : public SessionTest {
protected:
    TempDir prefix;
    void SetUp() override {
        flavour = Flavour::Desktop;
        SessionTest::SetUp();
        Ran r = Shell(Quoted(TOMO_CMAKE) + " --install " + Quoted(TOMO_BINARY_DIR) + " --prefix " + Quoted(prefix.str()));
        ASSERT_EQ(r.status, 0) << r.out;
    }
    std::string Prefix(const std::string &rel) const { return prefix / rel; }
};

// The layout is a desktop program's, not the card's. Debian's own tools
// find nothing wrong with the desktop entry, which opens texts, nor with
// the manual page (its warnings alone are kept), which shows the version.
// Started from a folder without a sheet, the program finds the installed
// one, and where no place holds one it names every place it looked in.
TEST_F(Installed, PassesDebiansToolsAndRunsFromAnotherFolderWithItsSheet) {
    EXPECT_EQ(FilesUnder(prefix.str()), InstalledFiles());
    EXPECT_EQ(ReadFile(Prefix("share/tomo/simplefont.tga")), ReadFile(TOMO_FONT));
    const std::string entry = Prefix("share/applications/tomo.desktop"), page = Prefix("share/man/man1/tomo.1");
    for (const std::string &check : {"desktop-file-validate " + Quoted(entry),
                                     "(MANWIDTH=80 man --warnings -l " + Quoted(page) + " 2>&1 >/dev/null)"}) {
        Ran r = Shell(check);
        EXPECT_EQ(r.status, 0) << check << "\n" << r.out;
        EXPECT_EQ(r.out, "") << check;
    }
    for (const char *line : {"\nExec=tomo %f\n", "\nMimeType=text/plain;\n", "\nIcon=tomo\n"})
        EXPECT_NE(ReadFile(entry).find(line), std::string::npos) << line;
    Ran shown = Shell("MANWIDTH=80 man -l " + Quoted(page));
    EXPECT_NE(shown.out.find("tomo - read text files in pages"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("tomo " TOMO_VERSION), std::string::npos) << "the version in the footer";

    session.File("notes.txt", "installed and reading\n");
    Options opt;
    opt.font = false;
    opt.binary = Prefix("bin/tomo");
    Outcome run = PlayToMenu(Script().Shot("list").Tap(kStickDown).Tap(kB).Shot("page").Tap(kA).Tap(kA), opt);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(session.Rows("list"), ListScreen(session.Root(), {Entry("..", true), Entry("notes.txt")}));
    EXPECT_EQ(session.Rows("page"), Page({"installed and reading"}, Position(1, 1)));

    fs::remove(Prefix("share/tomo/simplefont.tga"));
    run = PlayToMenu(Script().Shot("no_text").Tap(kA), opt);
    const std::string bin = Prefix("bin");
    EXPECT_EQ(run.err, "LoadTargaImage: could not open file ./simplefont.tga\n"
                       "LoadTargaImage: could not open file " + bin + "/simplefont.tga\n"
                       "LoadTargaImage: could not open file " + bin + "/../share/tomo/simplefont.tga\n");
    EXPECT_EQ(session.Rows("no_text"), std::vector<std::string>(kRows, ""));
}

TEST(Package, HoldsTheInstallUnderUsr) {
    TempDir out;
    Ran made = Shell(Quoted(TOMO_CPACK) + " -G DEB --config " +
                   Quoted(std::string(TOMO_BINARY_DIR) + "/CPackConfig.cmake") + " -B " + Quoted(out.str()));
    ASSERT_EQ(made.status, 0) << made.out;
    std::string deb;
    for (const auto &e : fs::directory_iterator(out.path))
        if (e.path().extension() == ".deb") deb = e.path().string();
    ASSERT_NE(deb, "") << made.out;
    EXPECT_EQ(fs::path(deb).filename().string().rfind("tomo_" TOMO_VERSION "_", 0), 0u) << deb;

    Ran unpacked = Shell("dpkg-deb -x " + Quoted(deb) + " " + Quoted(out / "root"));
    ASSERT_EQ(unpacked.status, 0) << unpacked.out;
    EXPECT_EQ(FilesUnder(out / "root/usr"), InstalledFiles());
    EXPECT_EQ(FilesUnder(out / "root").size(), InstalledFiles().size()) << "nothing outside /usr";
    Ran depends = Shell("dpkg-deb --field " + Quoted(deb) + " Depends");
    EXPECT_NE(depends.out.find("libsdl1.2debian | libsdl1.2-compat"), std::string::npos) << depends.out;
}

}  // namespace

#endif
