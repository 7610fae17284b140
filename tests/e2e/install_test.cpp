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

const std::set<std::string> kInstalled = {
    "bin/tomo",
    "share/tomo/simplefont.tga",
    "share/applications/tomo.desktop",
    "share/man/man1/tomo.1",
    "share/icons/hicolor/24x24/apps/tomo.png",
    "share/icons/hicolor/48x48/apps/tomo.png",
    "share/icons/hicolor/96x96/apps/tomo.png",
    "share/icons/hicolor/192x192/apps/tomo.png",
};

class Installed : public SessionTest {
protected:
    static void SetUpTestSuite() {
        prefix_ = new TempDir;
        Ran r = Shell(std::string(Quoted(TOMO_CMAKE)) + " --install " + Quoted(TOMO_BINARY_DIR) + " --prefix " +
                    Quoted(prefix_->str()));
        install_ = r.status == 0 ? "" : r.out;
    }
    static void TearDownTestSuite() {
        delete prefix_;
        prefix_ = nullptr;
    }
    void SetUp() override {
        flavour = Flavour::Desktop;
        SessionTest::SetUp();
        ASSERT_EQ(install_, "") << "cmake --install failed";
    }
    std::string Prefix(const std::string &rel) const { return *prefix_ / rel; }

    static TempDir *prefix_;
    static std::string install_;
};

TempDir *Installed::prefix_ = nullptr;
std::string Installed::install_;

TEST_F(Installed, TheLayoutIsADesktopProgramsNotTheCards) {
    EXPECT_EQ(FilesUnder(prefix_->str()), kInstalled);
    EXPECT_EQ(ReadFile(Prefix("share/tomo/simplefont.tga")), ReadFile(TOMO_FONT));
}

// Started from a folder without a sheet, it finds the installed one.
TEST_F(Installed, TheProgramRunsFromAnotherFolderWithItsSheet) {
    session.File("notes.txt", "installed and reading\n");
    Options opt;
    opt.font = false;
    opt.binary = Prefix("bin/tomo");
    Outcome run = PlayToMenu(Script().Shot("list").Tap(kStickDown).Tap(kB).Shot("page").Tap(kA).Tap(kA), opt);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(session.Rows("list"), ListScreen(session.Root(), {Entry("..", true), Entry("notes.txt")}));
    EXPECT_EQ(session.Rows("page"), Page({"installed and reading"}, Position(1, 1)));
}

TEST_F(Installed, TheDesktopEntryValidatesAndOpensTexts) {
    const std::string entry = Prefix("share/applications/tomo.desktop");
    Ran r = Shell("desktop-file-validate " + Quoted(entry));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "");
    std::string text = ReadFile(entry);
    for (const char *line : {"\nExec=tomo %f\n", "\nMimeType=text/plain;\n", "\nIcon=tomo\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(Installed, TheManualPageRendersWithoutAWarning) {
    const std::string page = Quoted(Prefix("share/man/man1/tomo.1"));
    Ran warnings = Shell("MANWIDTH=80 man --warnings -l " + page + " 2>&1 >/dev/null");
    EXPECT_EQ(warnings.status, 0) << warnings.out;
    EXPECT_EQ(warnings.out, "");
    Ran shown = Shell("MANWIDTH=80 man -l " + page);
    EXPECT_NE(shown.out.find("tomo - read text files in pages"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("tomo " TOMO_VERSION), std::string::npos) << "the version in the footer";
}

TEST_F(Installed, ThePackageHoldsTheInstallUnderUsr) {
    TempDir out;
    Ran made = Shell(std::string(Quoted(TOMO_CPACK)) + " -G DEB --config " +
                   Quoted(std::string(TOMO_BINARY_DIR) + "/CPackConfig.cmake") + " -B " + Quoted(out.str()));
    ASSERT_EQ(made.status, 0) << made.out;
    std::string deb;
    for (const auto &e : fs::directory_iterator(out.path))
        if (e.path().extension() == ".deb") deb = e.path().string();
    ASSERT_NE(deb, "") << made.out;
    EXPECT_EQ(fs::path(deb).filename().string().rfind("tomo_" TOMO_VERSION "_", 0), 0u) << deb;

    Ran listed = Shell("dpkg-deb --fsys-tarfile " + Quoted(deb) + " | tar -t");
    ASSERT_EQ(listed.status, 0) << listed.out;
    std::set<std::string> files;
    std::stringstream names(listed.out);
    for (std::string name; std::getline(names, name);)
        if (!name.empty() && name.back() != '/') files.insert(name);
    std::set<std::string> expected;
    for (const std::string &f : kInstalled) expected.insert("./usr/" + f);
    EXPECT_EQ(files, expected);

    Ran depends = Shell("dpkg-deb --field " + Quoted(deb) + " Depends");
    EXPECT_NE(depends.out.find("libsdl1.2debian | libsdl1.2-compat"), std::string::npos) << depends.out;
}

}  // namespace

#endif
