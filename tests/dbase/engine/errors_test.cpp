// Error codes, texts and the three ways of reporting.
#include "dbase_fixture.h"

namespace kt4::dbase::test {
namespace {

using ErrorsTest = EngineTest;

TEST_F(ErrorsTest, MessagesAndCodeTexts)
{
    EXPECT_EQ(ErrorMessage(210), "Fehler Nr. 210 (Keine dBASE-Datei)");
    EXPECT_EQ(ErrorMessage(0), "");
    EXPECT_EQ(ErrorCodeText(1250), "Netzwerkfehler");
    EXPECT_EQ(ErrorCodeText(1004), "Speichermedium voll          ");
    EXPECT_EQ(ErrorCodeText(227), "Speichermediumplatz unzureichend ");
    for (int code : {7, 37, 49, 61, 99, 107, 149, 163, 199, 232, 238, 244, 253, 255, 265, 267,
                     1002, 1006, 1008, 1011, 1013, 1016, 1020, 1099, 1104, 1199, 1301, 65535})
        EXPECT_EQ(ErrorCodeText(std::uint16_t(code)), "Unbekannter Fehler") << code;
}

TEST_F(ErrorsTest, FetchReturnsTheMessageOnce)
{
    SetError(210, "x.dbf [USE/OpenDBF]");
    EXPECT_EQ(EngineErrorCode, 210);
    EXPECT_EQ(FetchErrorMessage(), "Fehler Nr. 210 (Keine dBASE-Datei)\r\nx.dbf [USE/OpenDBF]");
    EXPECT_EQ(FetchErrorMessage(), "");
    SetError(5, "ctx");
    EXPECT_EQ(TakeErrorText(), "ctx");
    EXPECT_EQ(FetchErrorMessage(), "");
}

TEST_F(ErrorsTest, CodeZeroReportsNothing)
{
    SetReportErrors(true);
    SetError(0, "only text");
    EXPECT_EQ(LastErrorText(), "only text");
    EXPECT_EQ(EngineErrorCode, 0);
}

TEST_F(ErrorsTest, ExceptionModeThrowsTheFullMessage)
{
    SetReportErrors(true);
    EXPECT_FALSE(SetExceptionMode(true));
    try {
        SetError(212, "ctx [GO]");
        FAIL() << "no exception";
    } catch (const EZodarError& e) {
        EXPECT_EQ(e.Code(), 212);
        EXPECT_STREQ(e.what(), "Fehler Nr. 212 (Anfrage außerhalb Bereich)\r\nctx [GO]");
    }
    EXPECT_TRUE(SetExceptionMode(false));
}

TEST_F(ErrorsTest, UserHandlerTakesEveryReport)
{
    SetReportErrors(true);
    SetExceptionMode(true);
    int calls = 0;
    SetErrorHandler([&] { ++calls; });
    SetError(210, "a");
    SetError(1280, "b");
    EXPECT_EQ(calls, 2);
    SetErrorHandler(nullptr);
}

TEST_F(ErrorsTest, ExitStatusKeepsFailuresVisible)
{
    EXPECT_EQ(HaltExitCode(210), 210);
    EXPECT_EQ(HaltExitCode(1280), 255); // 1280 & 0xFF would be 0: "success"
    EXPECT_EQ(HaltExitCode(1200), 255);
    EXPECT_EQ(HaltExitCode(256), 255);
}

TEST_F(ErrorsTest, HaltModeShowsTheBoxAndEnds)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            HeadlessUi& ui = UseHeadlessUi();
            ui.quiet = false;
            SetReportErrors(true);
            SetExceptionMode(false);
            SetError(210, "T.DBF [USE/OpenDBF]");
        },
        ::testing::ExitedWithCode(210), "Programm angehalten.*Fehler Nr. 210 \\(Keine dBASE-Datei\\)");
    EXPECT_EXIT(
        {
            SetReportErrors(true);
            SetError(1280, "net");
        },
        ::testing::ExitedWithCode(255), "");
}

TEST_F(ErrorsTest, FailingOperationsOnAFreeArea)
{
    EXPECT_TRUE(dEOF());
    EXPECT_EQ(EngineErrorCode, 215);
    EXPECT_TRUE(dBOF());
    EXPECT_EQ(RecCount(), 0);
    EXPECT_EQ(RecNo(), 0);
    EXPECT_FALSE(Append());
    EXPECT_EQ(LastErrorText(),
              "Keine Datenbank (bzw.kein Arbeitsbereich) geöffnet. [Append]  WorkArea = 1");
}

} // namespace
} // namespace kt4::dbase::test
