// demo-store: a local store web server and two file servers on loopback, for running
// and testing the agent on one machine. See README.md.

#include "accounts.h"
#include "catalog_data.h"
#include "certificate.h"
#include "file_server.h"
#include "https_store.h"
#include "pictures.h"
#include "plain_http_server.h"
#include "plain_site.h"
#include "request_log.h"
#include "paypal_sessions.h"
#include "server_tls.h"
#include "store_controls.h"
#include "store_scripts.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <iostream>
#include <string>
#include <string_view>

namespace {

struct Options {
    std::filesystem::path stateDir;
    int httpsPort = 0, httpPort = 0, file1Port = 0, file2Port = 0, file1TlsPort = 0, file2TlsPort = 0;
    std::size_t catalogSize = 0;  // 0: the demo catalog
    std::size_t ownedProducts = 0;
    std::string delay;  // the delay switch's value at start; empty: none
};

bool parseCount(const char* text, std::size_t& count) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0' || text[0] == '-' || value > 10'000'000) return false;
    count = static_cast<std::size_t>(value);
    return true;
}

bool parsePort(const char* text, int& port) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 65535) return false;
    port = static_cast<int>(value);
    return true;
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (arg == "--state") options.stateDir = value;
        else if (arg == "--https-port" && parsePort(value, options.httpsPort)) continue;
        else if (arg == "--http-port" && parsePort(value, options.httpPort)) continue;
        else if (arg == "--file1-port" && parsePort(value, options.file1Port)) continue;
        else if (arg == "--file2-port" && parsePort(value, options.file2Port)) continue;
        else if (arg == "--file1-tls-port" && parsePort(value, options.file1TlsPort)) continue;
        else if (arg == "--file2-tls-port" && parsePort(value, options.file2TlsPort)) continue;
        else if (arg == "--catalog-size" && parseCount(value, options.catalogSize)) continue;
        else if (arg == "--owned" && parseCount(value, options.ownedProducts)) continue;
        else if (arg == "--delay") options.delay = value;
        else return false;
    }
    return !options.stateDir.empty();
}

int fail(const std::string& message) {
    std::cerr << "demo-store: " << message << '\n';
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::cerr << "usage: demo-store --state DIR [--https-port N] [--http-port N] [--file1-port N] [--file2-port N]\n"
                     "                  [--file1-tls-port N] [--file2-tls-port N] [--catalog-size N [--owned M]]\n"
                     "                  [--delay MS[:PATH]]\n";
        return 2;
    }
    // Block the stop signals before any thread starts, so only sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    // A client that hangs up mid-reply must not end the store.
    std::signal(SIGPIPE, SIG_IGN);

    std::error_code ec;
    std::filesystem::create_directories(options.stateDir, ec);
    if (ec) return fail("cannot create " + options.stateDir.string() + ": " + ec.message());

    std::string error;
    qk::demo::CertificateFiles certificate;
    if (!qk::demo::ensureCertificate(options.stateDir, certificate, error)) return fail(error);

    // Pictures are drawn after the ready line (starting Qt takes most of the start-up
    // time); a picture request that comes earlier waits for them.
    std::promise<qk::demo::Pictures> drawnPictures;
    const std::shared_future<qk::demo::Pictures> pictures = drawnPictures.get_future().share();

    qk::demo::RequestLog log(options.stateDir / "requests.log");
    if (!log.ok()) return fail("cannot open the request log");

    const qk::demo::FileSizeLookup namedFile = [](std::string_view name) { return qk::demo::demoFileSize(name); };
    // Set once the plain-HTTP port is bound, before any server thread starts.
    std::string mirrorOrigin;
    qk::demo::StoreControls* switches = nullptr;
    const auto fileHandler = [&](const qk::demo::HttpRequest& request, qk::demo::HttpResponse& response) {
        qk::demo::serveFileRequest(request, response, namedFile, switches->primaryMode());
    };
    const auto secondaryHandler = [&](const qk::demo::HttpRequest& request, qk::demo::HttpResponse& response) {
        if (switches->secondaryRedirects())
            qk::demo::redirectToMirror(request, response, mirrorOrigin);
        else
            qk::demo::serveFileRequest(request, response, namedFile, switches->secondaryMode());
    };
    qk::demo::PlainHttpServer file1("file1", log, fileHandler);
    qk::demo::PlainHttpServer file2("file2", log, secondaryHandler);
    // The same two file servers over HTTPS, with the store's certificate. Each twin
    // follows its plain server's switches.
    const auto tls = qk::demo::ServerTls::load(certificate, error);
    if (!tls) return fail(error);
    qk::demo::PlainHttpServer file1Tls("file1tls", log, fileHandler);
    qk::demo::PlainHttpServer file2Tls("file2tls", log, secondaryHandler);
    file1Tls.useTls(tls);
    file2Tls.useTls(tls);
    qk::demo::StoreControls controls([&](bool up) {
        const bool plain = file1.setAccepting(up);
        const bool secure = file1Tls.setAccepting(up);
        return plain && secure;
    });
    switches = &controls;
    if (!options.delay.empty() && !controls.apply("delay", options.delay))
        return fail("bad --delay " + options.delay);
    if (options.catalogSize > 0) qk::demo::useGeneratedCatalog(options.catalogSize);
    qk::demo::AccountBook accounts(options.catalogSize > 0 ? options.ownedProducts : 0);
    qk::demo::PaypalSessions paypal;
    qk::demo::StoreContext store{controls, accounts, paypal};
    qk::demo::PlainHttpServer http("http", log, [&](const qk::demo::HttpRequest& request, qk::demo::HttpResponse& response) {
        if (qk::demo::isMirrorRequest(request))
            qk::demo::serveMirrorRequest(request, response, namedFile);
        else
            qk::demo::servePlainSite(request, response, pictures, store);
    });
    qk::demo::HttpsStore https(log, store);

    if (!file1.bind(options.file1Port, error) || !file2.bind(options.file2Port, error) ||
        !file1Tls.bind(options.file1TlsPort, error) || !file2Tls.bind(options.file2TlsPort, error) ||
        !http.bind(options.httpPort, error) || !https.start(certificate, options.httpsPort, error))
        return fail(error);
    mirrorOrigin = "http://127.0.0.1:" + std::to_string(http.port());
    file1.start();
    file2.start();
    file1Tls.start();
    file2Tls.start();
    http.start();

    std::cout << "DEMO-STORE-READY https=" << https.port() << " http=" << http.port() << " file1=" << file1.port()
              << " file2=" << file2.port() << " file1tls=" << file1Tls.port() << " file2tls=" << file2Tls.port() << " ca=" << std::filesystem::absolute(certificate.certificate).string()
              << std::endl;

    // Qt's painter needs a GUI application for its fonts. Without a runtime folder Qt
    // warns on every start; give it one of our own.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const std::filesystem::path runtime = options.stateDir / "runtime";
        std::filesystem::create_directories(runtime, ec);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all, ec);
        qputenv("XDG_RUNTIME_DIR", std::filesystem::absolute(runtime).string().c_str());
    }
    int qtArgc = 1;
    char qtName[] = "demo-store";
    char* qtArgv[] = {qtName, nullptr};
    QGuiApplication qtApp(qtArgc, qtArgv);
    drawnPictures.set_value(qk::demo::Pictures::render());

    int signal = 0;
    sigwait(&stopSignals, &signal);

    https.stop();
    http.stop();
    file2Tls.stop();
    file1Tls.stop();
    file2.stop();
    file1.stop();
    return 0;
}
