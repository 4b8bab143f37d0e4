#pragma once
// Shared by Pelmora's window tests: the program's windows over a settings store in a
// temporary folder, the decimal separator put back after each test, and the user's steps
// of opening a table through the open dialog.

#include "app/DataMod.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/tests/TempFolder.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Metafile.h"
#include "framework/gui/TestKit.h"
#include "windrose/WindRose.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

class TPelmoraTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelmora-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        FDir = pattern;
        FStore.emplace("HKCU_STORE", FDir + "/hkcu.txt");
        SetProgramFileName(std::string(APP_DATA_DIR) + "/Pelmora");
        TestKit::StartTestApplication();
        FSavedSeparator = DecimalSeparator;
        StartProgram();
    }
    void TearDown() override {
        Application->SetModalHandler(nullptr);
        StopProgram();
        DecimalSeparator = FSavedSeparator;
        FStore.reset();
        std::error_code ec;
        std::filesystem::remove_all(FDir, ec);
    }

    void StartProgram() {
        CreateRoseWindows();
        Form1->Show();
        TestKit::ProcessMessages();
        Application->Idle();
    }
    void StopProgram() {
        if (!Form1)
            return;
        FreeRoseWindows();
        TestKit::ProcessMessages();
    }

    // A fixture file of the tests' data folder.
    static std::string DataFile(const std::string& name) {
        return std::string(TEST_DATA_DIR) + "/" + name;
    }
    // Writes content to a file of the temporary folder (sub-folders made as needed).
    std::string WriteFile(const std::string& name, const std::string& content) const {
        const std::filesystem::path path = std::filesystem::path(FDir) / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
    // A copy of a fixture in a folder of its own under the temporary folder.
    std::string CopyFixture(const std::string& name, const std::string& folder) const {
        const std::filesystem::path dir = std::filesystem::path(FDir) / folder;
        std::filesystem::create_directories(dir);
        std::filesystem::copy_file(DataFile(name), dir / name,
                                   std::filesystem::copy_options::overwrite_existing);
        return (dir / name).string();
    }

    // The user presses "Ανοιγμα" and picks the file in the dialog.
    void OpenTable(const std::string& fileName) {
        TestKit::Dialogs().AnswerNextWith([fileName](const TestKit::TShownDialog& shown) {
            static_cast<TOpenDialog*>(shown.Dialog)->SetFileName(fileName);
            return 1;
        });
        TestKit::Click(Form1->ToolButton1);
        TestKit::ProcessMessages();
        Application->Idle();
    }
    // The user presses "Ανοιγμα" and cancels the dialog.
    void CancelOpen() {
        TestKit::Dialogs().AnswerNext(0);
        TestKit::Click(Form1->ToolButton1);
        TestKit::ProcessMessages();
    }

    // The rose: the metafile behind the chart, nullptr when there is none.
    static const TMetafile* Rose() {
        return dynamic_cast<const TMetafile*>(Form1->Chart1->BackImage()->Graphic());
    }
    static std::vector<TMetafileRecord> RecordsOf(const TMetafile* metafile,
                                                  TMetafileRecord::TKind kind) {
        std::vector<TMetafileRecord> found;
        if (metafile)
            for (const TMetafileRecord& r : metafile->Records())
                if (r.Kind == kind)
                    found.push_back(r);
        return found;
    }
    static std::vector<std::string> FootLines() {
        std::vector<std::string> lines;
        const TStrings* text = Form1->Chart1->Foot()->Text();
        for (int i = 0; i < text->Count(); ++i)
            lines.push_back(text->Get(i));
        return lines;
    }

    // Where screenshots go: $ORV_SHOT_DIR, else the test's temporary folder.
    std::string ShotFile(const std::string& name) const { return ShotPath(FDir, name); }

    std::string FDir;

private:
    char FSavedSeparator = '.';
    std::optional<TScopedEnv> FStore;
};
