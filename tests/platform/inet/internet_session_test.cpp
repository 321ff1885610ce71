#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "platform/inet/internet_session.h"
#include "support/scripted_server.h"

namespace {

using testsupport::ScriptedServer;

std::vector<std::string> ReadLines(CInternetFile& file) {
    std::vector<std::string> lines;
    std::string line;
    while (file.ReadString(line))
        lines.push_back(line);
    return lines;
}

// The error code of the CInternetException `open` throws; 0 when it throws none.
template <class F> DWORD ErrorOf(F open) {
    try {
        open();
    } catch (const CInternetException& e) {
        return e.m_dwError;
    }
    return 0;
}

TEST(InternetSessionTest, LinesLoseTheirBreaksAndTheAgentIsSent) {
    ScriptedServer server;
    server.SetReply({200, "  first  \r\n\r\nthird\nlast without break", "text/plain"});
    CInternetSession session("Main session");
    auto file = session.OpenURL(server.BaseUrl() + "/d/quotes.csv?s=^NSEI");
    EXPECT_EQ(ReadLines(*file),
              (std::vector<std::string>{"  first  ", "", "third", "last without break"}));
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].userAgent, "Main session");
    EXPECT_EQ(server.Requests()[0].target, "/d/quotes.csv?s=^NSEI");

    // ReadAllLines trims each line and keeps the blank ones.
    EXPECT_EQ(inet::ReadAllLines(session, server.BaseUrl() + "/x"),
              (std::vector<std::string>{"first", "", "third", "last without break"}));

    server.SetReply({200, "", "text/plain"});
    EXPECT_TRUE(ReadLines(*session.OpenURL(server.BaseUrl() + "/")).empty());
}

TEST(InternetSessionTest, HttpErrorStatusesFailTheOpen) {
    ScriptedServer server;
    CInternetSession session("t");
    for (int status : {400, 404, 500, 503}) {
        server.SetReply({status, "<html>error</html>", "text/html"});
        try {
            session.OpenURL(server.BaseUrl() + "/");
            ADD_FAILURE() << "status " << status << " opened";
        } catch (const CInternetException& e) {
            EXPECT_EQ(e.m_dwError, ERROR_HTTP_STATUS_FAILURE);
            EXPECT_EQ(e.m_nHttpStatus, status);
            EXPECT_NE(e.GetErrorMessage().find(std::to_string(status)), std::string::npos);
        }
    }
}

TEST(InternetSessionTest, UnreachableServerFailsTheOpen) {
    std::string base;
    {
        ScriptedServer gone;
        base = gone.BaseUrl();
    }
    CInternetSession session("t");
    EXPECT_EQ(ErrorOf([&] { session.OpenURL(base + "/"); }), ERROR_INTERNET_CANNOT_CONNECT);
    EXPECT_THROW(session.OpenURL("ftp://127.0.0.1/x"), CInternetException);
    EXPECT_THROW(session.OpenURL("not a url"), CInternetException);
}

TEST(InternetSessionTest, ABodyCutShortGivesItsCompleteLinesThenFails) {
    ScriptedServer server;
    ScriptedServer::Reply reply;
    reply.body = "line one\r\nline two\r\nline three\r\nline four\r\n";
    reply.dropHalf = true;
    server.SetReply(reply);
    CInternetSession session("t");
    auto file = session.OpenURL(server.BaseUrl() + "/");
    std::string line;
    ASSERT_TRUE(file->ReadString(line));
    EXPECT_EQ(line, "line one");
    // Half of the body is 22 bytes: "line two" arrived whole, "line three" did not.
    ASSERT_TRUE(file->ReadString(line));
    EXPECT_EQ(line, "line two");
    EXPECT_THROW(file->ReadString(line), CInternetException);
}

TEST(InternetSessionTest, OversizedBodyFails) {
    ScriptedServer server;
    server.SetReply({200, std::string(5000, 'x') + "\n", "text/plain"});
    CInternetSession session("t");
    session.SetOption(InternetOption::MaxBodyBytes, 1000);
    EXPECT_EQ(ErrorOf([&] { ReadLines(*session.OpenURL(server.BaseUrl() + "/")); }),
              ERROR_INTERNET_BODY_TOO_LARGE);
}

TEST(InternetSessionTest, SilentServerTimesOutAndCancelStopsATransfer) {
    ScriptedServer server;
    ScriptedServer::Reply slow;
    slow.body = "late\n";
    slow.delayMs = 3000;
    server.SetReply(slow);

    CInternetSession session("t");
    session.SetOption(InternetOption::ReceiveTimeoutMs, 1000);
    EXPECT_EQ(ErrorOf([&] { session.OpenURL(server.BaseUrl() + "/"); }), ERROR_INTERNET_TIMEOUT);

    auto cancel = std::make_shared<std::atomic<bool>>(false);
    CInternetSession cancellable("t");
    cancellable.SetCancelFlag(cancel);
    std::thread stopper([cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel->store(true);
    });
    EXPECT_EQ(ErrorOf([&] { cancellable.OpenURL(server.BaseUrl() + "/"); }),
              ERROR_INTERNET_OPERATION_CANCELLED);
    stopper.join();
}

TEST(InternetSessionTest, FloodsAndTricklesAreBounded) {
    ScriptedServer server;
    // Ten megabytes of bare line breaks: the reader gets as many lines as it may keep,
    // then a failure, never ten million empty strings.
    server.SetReply({200, std::string(10 * 1024 * 1024, '\n'), "text/plain"});
    CInternetSession session("t");
    session.SetOption(InternetOption::MaxLines, 1000);
    auto file = session.OpenURL(server.BaseUrl() + "/");
    std::size_t lines = 0;
    std::string line;
    EXPECT_EQ(ErrorOf([&] {
                  while (file->ReadString(line))
                      ++lines;
              }),
              ERROR_INTERNET_BODY_TOO_LARGE);
    EXPECT_EQ(lines, 1000u);

    // A server that sends a byte now and then, never a line end, still ends by the deadline.
    server.SetReply({200, std::string(1000, 'x'), "text/plain", 0, false, 20});
    session.SetOption(InternetOption::DeadlineMs, 300);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ErrorOf([&] { inet::ReadAllLines(session, server.BaseUrl() + "/"); }),
              ERROR_INTERNET_TIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

} // namespace
