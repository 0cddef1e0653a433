// Tests of the table access layer: the engine with every module, the
// private folder's "dbf" and "tmp" as the table and temporary folders, and
// a fresh tzdbf that is closed afterwards. The settings it changes get their
// earlier values back, so that tests run after it in the same process do not
// meet the folders it removed.
#pragma once

#include "memo_fixture.h"

#include "dbase/access/table_access.h"
#include "dbase/dataset/tzfds.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"

namespace kt4::dbase::test {

class AccessLayerTest : public ModulesTest {
protected:
    void SetUp() override
    {
        ModulesTest::SetUp();
        std::filesystem::create_directories(dir_ / "dbf");
        std::filesystem::create_directories(dir_ / "tmp");
        settings::DbfDir = Path("dbf") + "/";
        settings::TempDir = Path("tmp") + "/";
        settings::DbfUseTemp = false;
        settings::DbfWriteChecked = false;
        settings::ShowErrorBoxes = true;
        settings::ClearMessages();
        InitTableAccess();
    }
    void TearDown() override
    {
        DbfClose();
        RemovePrivateTempDir();
        ModulesTest::TearDown();
        settings::DbfDir = dbfDir_;
        settings::TempDir = tempDir_;
        settings::DbfUseTemp = useTemp_;
        settings::DbfWriteChecked = writeChecked_;
        settings::ShowErrorBoxes = errorBoxes_;
    }

private:
    std::string dbfDir_ = settings::DbfDir, tempDir_ = settings::TempDir;
    bool useTemp_ = settings::DbfUseTemp, writeChecked_ = settings::DbfWriteChecked,
         errorBoxes_ = settings::ShowErrorBoxes;
};

} // namespace kt4::dbase::test
