#include "online/HttpClient.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/LocalService.h"
#include "tests/support/TestFolder.h"

namespace {

class HttpClientTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { service_ = new LocalService(); }
    static void TearDownTestSuite() {
        delete service_;
        service_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(service_->Running());
        service_->Reset();
    }

    static LocalService* service_;
    TestFolder folder_;
};

LocalService* HttpClientTest::service_ = nullptr;

std::wstring Get(const std::wstring& url, bool expectSent = true) {
    std::wstring body;
    EXPECT_EQ(HttpGetString(url, body), expectSent);
    return body;
}

}  // namespace

TEST(CrackUrl, SplitsHostPortPathAndQueryWithTheSchemesDefaultPorts) {
    UrlParts secure = CrackUrl(L"https://example.com/a/b.php?x=1&y=2");
    EXPECT_EQ(secure.scheme, 4);
    EXPECT_EQ(secure.host, L"example.com");
    EXPECT_EQ(secure.port, 443);
    EXPECT_EQ(secure.path, L"/a/b.php");
    EXPECT_EQ(secure.extraInfo, L"?x=1&y=2");

    UrlParts plain = CrackUrl(L"http://example.com/index.html");
    EXPECT_NE(plain.scheme, 4);
    EXPECT_EQ(plain.port, 80);
    EXPECT_EQ(plain.extraInfo, L"");

    UrlParts explicitPort = CrackUrl(L"http://127.0.0.1:18360/api.php?act=getNews");
    EXPECT_EQ(explicitPort.host, L"127.0.0.1");
    EXPECT_EQ(explicitPort.port, 18360);
}

TEST(CrackUrl, APartLongerThan255CharactersLeavesEverythingEmpty) {
    UrlParts parts = CrackUrl(L"http://example.com/" + std::wstring(300, L'p'));
    EXPECT_EQ(parts.scheme, 0);
    EXPECT_EQ(parts.port, 0);
    EXPECT_TRUE(parts.host.empty() && parts.path.empty() && parts.extraInfo.empty());

    std::wstring body = L"kept";
    EXPECT_FALSE(HttpGetString(L"http://example.com/" + std::wstring(300, L'p'), body));
    EXPECT_EQ(body, L"kept");
}

TEST_F(HttpClientTest, SendsAGetWithTheAgentAndBothHeadersOnce) {
    service_->Answer("/echo", "hello");
    EXPECT_EQ(Get(service_->Url("/echo?a=1&b=two")), L"hello");
    EXPECT_TRUE(HttpDownloadFile(service_->Url("/echo?c=3"), folder_.File(L"echo.bin")));

    auto requests = service_->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/echo?a=1&b=two");
    // Downloads keep their query in the request line too.
    EXPECT_EQ(requests[1].target, "/echo?c=3");
    for (const RecordedRequest& request : requests) {
        EXPECT_EQ(request.Header("User-Agent"), "HttpPost");
        EXPECT_EQ(request.HeaderCount("Content-Type"), 1);
        EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
        EXPECT_EQ(request.HeaderCount("Accept"), 1);
        EXPECT_EQ(request.Header("Accept"), "*/*");
        EXPECT_EQ(request.Header("Host"), "127.0.0.1:" + std::to_string(service_->Port()));
    }
}

TEST_F(HttpClientTest, AnHttpsUrlAsksForATlsConnection) {
    std::wstring url = L"https://127.0.0.1:" + std::to_wstring(service_->Port()) + L"/secure";
    std::wstring body;
    // The local service speaks plain HTTP, so the handshake fails; the service saw it start.
    EXPECT_FALSE(HttpGetString(url, body));
    auto requests = service_->Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_TRUE(requests[0].IsTlsHandshake());
}

TEST_F(HttpClientTest, EmptyAndExactChunkSizedBodies) {
    service_->Answer("/empty", "");
    EXPECT_EQ(Get(service_->Url("/empty")), L"");

    for (size_t size : {1023u, 1024u, 2000u, 5000u}) {
        std::string bytes;
        for (size_t i = 0; i < size; ++i) bytes += static_cast<char>('a' + i % 26);
        service_->Answer("/sized", bytes);
        EXPECT_EQ(Get(service_->Url("/sized")), std::wstring(bytes.begin(), bytes.end())) << size;
        EXPECT_TRUE(HttpDownloadFile(service_->Url("/sized"), folder_.File(L"sized.bin")));
        EXPECT_EQ(ReadFileBytes(folder_.File(L"sized.bin")), bytes) << size;
    }
}

TEST_F(HttpClientTest, ChineseTextAcrossReadBoundariesDecodesWhole) {
    // The first character straddles bytes 1022 to 1024, across the first read's end.
    std::string bytes = std::string(1022, 'x') + u8"中文游戏";
    for (int i = 0; i < 700; ++i) bytes += u8"新闻";
    std::wstring expected = std::wstring(1022, L'x') + L"中文游戏";
    for (int i = 0; i < 700; ++i) expected += L"新闻";
    service_->Answer("/chinese", bytes);
    EXPECT_EQ(Get(service_->Url("/chinese")), expected);
}

// The service's replies come as they are; a download is the file asked for or nothing.
TEST_F(HttpClientTest, ErrorPagesAreReturnedAsRepliesButNeverStoredAsDownloads) {
    const std::string page = "<html><body><h1>Not Found</h1></body></html>";
    WriteFileBytes(folder_.File(L"Ludora.pak"), "good package");
    for (int status : {404, 500, 203}) {
        ServiceAnswer how;
        how.status = status;
        service_->Answer("/missing", page, how);
        std::wstring body = L"prefix:";
        EXPECT_TRUE(HttpGetString(service_->Url("/missing"), body)) << status;
        EXPECT_EQ(body, L"prefix:" + std::wstring(page.begin(), page.end()));
        EXPECT_TRUE(HttpDownloadFile(service_->Url("/missing"), folder_.File(L"page.html"))) << "sent";
        EXPECT_FALSE(FileExists(folder_.File(L"page.html"))) << status;
        EXPECT_TRUE(HttpDownloadFile(service_->Url("/missing"), folder_.File(L"Ludora.pak")));
        EXPECT_EQ(ReadFileBytes(folder_.File(L"Ludora.pak")), "good package") << status;
    }
}

// A download stops at its limit whether or not the server announced a length.
TEST_F(HttpClientTest, ADownloadOverItsLimitIsNeverStored) {
    const std::wstring target = folder_.File(L"Ludora.pak");
    WriteFileBytes(target, "good package");
    const std::string big(5000, 'b');
    for (bool sized : {true, false}) {
        ServiceAnswer how;
        how.unsized = !sized;
        service_->Answer("/files/Ludora.pak", big, how);
        EXPECT_TRUE(HttpDownloadFile(service_->Url("/files/Ludora.pak"), target, {}, {}, 4999)) << sized;
        EXPECT_EQ(ReadFileBytes(target), "good package") << sized;
        EXPECT_TRUE(HttpDownloadFile(service_->Url("/files/Ludora.pak"), target, {}, {}, 5000)) << sized;
        EXPECT_EQ(ReadFileBytes(target), big) << sized;
        WriteFileBytes(target, "good package");
    }
}

TEST_F(HttpClientTest, AHostThatCannotBeResolvedSendsNothingAndKeepsTheFile) {
    WriteFileBytes(folder_.File(L"Ludora.pak"), "good package");
    std::wstring body = L"unchanged";
    EXPECT_FALSE(HttpGetString(L"http://no-such-host.invalid/api.php", body));
    EXPECT_EQ(body, L"unchanged");
    EXPECT_FALSE(HttpDownloadFile(L"http://no-such-host.invalid/files/Ludora.pak", folder_.File(L"Ludora.pak")));
    EXPECT_EQ(ReadFileBytes(folder_.File(L"Ludora.pak")), "good package");
}

TEST_F(HttpClientTest, ADownloadReplacesTheFileOnlyWhenItArrivedWhole) {
    const std::wstring target = folder_.File(L"Ludora.pak");
    WriteFileBytes(target, "good package");
    std::string fresh(3000, 'n');

    ServiceAnswer cut;
    cut.cutAfter = 1000;
    service_->Answer("/files/Ludora.pak", fresh, cut);
    EXPECT_TRUE(HttpDownloadFile(service_->Url("/files/Ludora.pak"), target));
    EXPECT_EQ(ReadFileBytes(target), "good package");
    EXPECT_FALSE(FileExists(target + L".part"));

    service_->Reset();
    service_->Answer("/files/Ludora.pak", fresh);
    EXPECT_TRUE(HttpDownloadFile(service_->Url("/files/Ludora.pak"), target));
    EXPECT_EQ(ReadFileBytes(target), fresh);
    EXPECT_FALSE(FileExists(target + L".part"));
}

TEST_F(HttpClientTest, AServerThatNeverAnswersEndsInATimeOut) {
    ServiceAnswer hang;
    hang.hang = true;
    service_->Answer("/silent", "", hang);
    HttpTimeouts shortWait{1000, 1000, 1000};
    std::wstring body;
    EXPECT_FALSE(HttpGetString(service_->Url("/silent"), body, shortWait));
    EXPECT_TRUE(body.empty());
    WriteFileBytes(folder_.File(L"kept.bin"), "old");
    EXPECT_FALSE(HttpDownloadFile(service_->Url("/silent"), folder_.File(L"kept.bin"), shortWait));
    EXPECT_EQ(ReadFileBytes(folder_.File(L"kept.bin")), "old");
}

TEST_F(HttpClientTest, AHalfSentBodyKeepsWhatArrived) {
    ServiceAnswer cut;
    cut.cutAfter = 1500;
    service_->Answer("/half", std::string(4000, 'h'), cut);
    std::wstring body;
    EXPECT_TRUE(HttpGetString(service_->Url("/half"), body));
    EXPECT_EQ(body, std::wstring(1500, L'h'));
}

// A body that keeps trickling in, or one larger than any answer, is no answer: the request ends.
TEST_F(HttpClientTest, ATricklingOrOversizedBodyIsNoAnswer) {
    ServiceAnswer trickle;
    trickle.pieces = 12;
    trickle.pauseSeconds = 0.5;
    service_->Answer("/trickle", std::string(12000, 't'), trickle);
    std::wstring body = L"kept";
    const DWORD asked = GetTickCount();
    EXPECT_FALSE(HttpGetString(service_->Url("/trickle"), body, HttpTimeouts{1000, 1000, 1000, 1500}));
    EXPECT_LT(GetTickCount() - asked, 4000u) << "the whole request is bounded, not only each read";
    EXPECT_EQ(body, L"kept");
    WriteFileBytes(folder_.File(L"kept.bin"), "old");
    EXPECT_TRUE(HttpDownloadFile(service_->Url("/trickle"), folder_.File(L"kept.bin"), HttpTimeouts{1000, 1000, 1000, 1500}));
    EXPECT_EQ(ReadFileBytes(folder_.File(L"kept.bin")), "old");

    service_->Answer("/huge", std::string((4 << 20) + 1, 'x'));
    EXPECT_FALSE(HttpGetString(service_->Url("/huge"), body));
    EXPECT_EQ(body, L"kept");
}
