// The whole road of a customer, end to end: the program as the entry point composes it
// (real windows offscreen, real message boxes, real HTTPS and downloads) on the demo
// store. Only the browser behind the shell is a fake. A new customer creates an account
// from the login dialog, applies a coupon, buys by card, finds the product in My Library,
// downloads its file, starts the download again and cancels it, and logs out; once with
// both file servers up, once with the primary down and a secondary that redirects.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QWidget>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/agent.h"
#include "app/agent_program.h"
#include "app/main_window.h"
#include "e2e/customer_window.h"
#include "e2e/http_client.h"
#include "platform/ports.h"
#include "platform/settings_store.h"
#include "store/credentials.h"
#include "support/demo_store.h"
#include "support/recording_shell.h"
#include "support/request_log.h"
#include "ui/message_box.h"
#include "ui/message_box/message_box_dialog.h"
#include "ui/qt_window_provider.h"
#include "ui/resources/account_dialog.h"
#include "ui/resources/cart_dialog.h"
#include "ui/resources/checkout_dialog.h"
#include "ui/resources/coupon_dialog.h"
#include "ui/resources/login_dialog.h"
#include "ui/resources/main_window.h"
#include "ui/resources/notification_dialog.h"

namespace qk::test {
namespace {

namespace fs = std::filesystem;
namespace ids = ui::resources;
using Rows = std::vector<std::vector<std::string>>;

// The new customer.
constexpr const char* kEmail = "road.tester@tovrin.example";
constexpr const char* kPassword = "clearsky77";
constexpr const char* kName = "Road Tester";

// What the customer buys: Glider ASK 21 ($22.00, no sale, no bundle offer), with the
// coupon SAVE10 (10 % off). Its file is generated content of 2228224 bytes, version 1.0.
constexpr const char* kProduct = "Glider ASK 21";
constexpr const char* kOwnedRow = "* Glider ASK 21";
constexpr const char* kFileName = "tov-1016.zip";
constexpr std::uintmax_t kFileSize = 2228224;
constexpr const char* kNotDownloaded =
    "File: tov-1016.zip\nFile Size: 2.12 MB\nAvailable Version: 1.0\nStatus: Not Downloaded";
// The first order of a freshly started store.
constexpr const char* kOrderNumber = "800001";

// Which file servers the store runs.
enum class FileServers {
    BothUp,
    PrimaryDownSecondaryRedirecting,
};

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The moment an asctime-form date names (read as UTC), or -1.
std::time_t utcFromAsctime(const std::string& text)
{
    std::tm parts{};
    const char* end = ::strptime(text.c_str(), "%a %b %e %H:%M:%S %Y", &parts);
    if (end == nullptr || *end != '\0')
        return -1;
    return ::timegm(&parts);
}

class CustomerRoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store_.ok()) << store_.error();
        program_ = std::make_unique<app::AgentProgram>(store_.deployment(), app::ServiceOverrides{&browser_});
    }

    void TearDown() override
    {
        // A download still running would outlive its window otherwise.
        program_.reset();
    }

    QWidget& main()
    {
        auto* provider = dynamic_cast<ui::QtWindowProvider*>(&program_->window().view());
        return *provider->qtWidget();
    }

    fs::path downloadFolder() const
    {
        return store_.deployment().appDataDir / "VarnelPurchase" / "tovrin";
    }
    fs::path downloadedFile() const { return downloadFolder() / kFileName; }
    fs::path recordFile() const { return downloadFolder() / (std::string(kFileName) + ".cfg"); }

    std::vector<LoggedRequest> requestsTo(const std::string& server, const std::string& target)
    {
        return requestsMatching(store_, {.server = server, .target = target});
    }

    std::vector<LoggedRequest> requestsOn(const std::string& server)
    {
        return requestsMatching(store_, {.server = server});
    }

    std::optional<std::string> savedValue(const char* name) const
    {
        return SettingsStore(store_.deployment().settingsDir).readValue(kSettingsKey, name);
    }

    // ---- The road, step by step ----

    // No saved login: the program asks for one at start. The customer has no account yet
    // and creates one from the login dialog, stays logged in on this computer and
    // verifies the account with the link of the mail the store sent.
    void startAndCreateAccount()
    {
        windows_.expect("Log in to your Varnel Acount...", [](QWidget& login) {
            EXPECT_EQ(seen(login, ids::kLoginRequiredText),
                      "An account is required in order to purchase or retrieve your orders.");
            EXPECT_EQ(seen(login, ids::kLoginEmail), "");
            EXPECT_TRUE(checked(login, ids::kLoginStayLoggedIn));
            clickLink(login, ids::kLoginCreateAccount, 0);
        });
        windows_.expect("Account Managment", [](QWidget& account) {
            EXPECT_EQ(seen(account, ids::kAccountHeading), "Create a New Varnel Account...");
            EXPECT_EQ(seen(account, ids::kAccountSubmit), "Create Account");
            EXPECT_FALSE(shownOn(account, ids::kAccountCurrentPassword));
            EXPECT_FALSE(seen(account, ids::kAccountTerms).empty());  // the store's terms
            type(account, ids::kAccountEmail, kEmail);
            type(account, ids::kAccountRepeatEmail, kEmail);
            type(account, ids::kAccountFirstName, "Road");
            type(account, ids::kAccountLastName, "Tester");
            type(account, ids::kAccountStreet, "1 Runway Road");
            type(account, ids::kAccountCity, "Tovrin");
            type(account, ids::kAccountStateProvince, "TV");
            type(account, ids::kAccountZipCode, "12345");
            choose(account, ids::kAccountCountry, "Germany");
            type(account, ids::kAccountUserName, "roadtester");
            type(account, ids::kAccountPassword, kPassword);
            type(account, ids::kAccountRepeatPassword, kPassword);
            click(account, ids::kAccountAgreeTerms);
            click(account, ids::kAccountSubmit);
        });
        windows_.expect("Account Created...",
                        answerBox("Your account has been successfully created. IMPORTANT!!! Please check your email "
                                  "and validate your Varnel account.\r\nWould you like to stay logged in on this "
                                  "computer so you do not have to login when you restart this application?",
                                  ui::kIdYes));
        windows_.expect("Account Verification", [this](QWidget& verification) {
            // The customer reads the mail and opens its link in the browser.
            ASSERT_TRUE(openVerificationLink());
            click(verification, ids::kVerificationDone);
        });
        windows_.expect("Account Verified", answerBox("Thank you for verifying your account!", ui::kIdOk));
        // On its first paint the window shows the store's notification.
        windows_.expect("Tovrin Simulations Notifications", [](QWidget& notification) {
            EXPECT_EQ(seen(notification, ids::kNotificationText).rfind("Welcome to the Tovrin Simulations store!", 0),
                      0u);
            EXPECT_FALSE(checked(notification, ids::kHideNotification));
            click(notification, ids::kNotificationContinue);
        });

        ASSERT_TRUE(program_->start());
        ASSERT_TRUE(waitFor([this] { return windows_.allMet(); })) << "still expected: " << windows_.stillExpected();

        QWidget& window = main();
        EXPECT_EQ(utf8Title(window), "Varnel QK-Agent for Tovrin Simulations (Version 2.0.2.8)");
        EXPECT_EQ(seen(window, ids::kStatusText), std::string("Welcome ") + kName);
        EXPECT_FALSE(enabled(window, ids::kLogin));
        EXPECT_TRUE(enabled(window, ids::kLogout));
        EXPECT_TRUE(enabled(window, ids::kEditAccount));
        // A new customer owns nothing: no row is marked as purchased.
        const Rows listed = rows(window, ids::kProductList);
        ASSERT_FALSE(listed.empty());
        for (const auto& row : listed)
            EXPECT_NE(row[0].rfind("* ", 0), 0u) << row[0];

        const auto created = requestsTo("https", "/vnaccount.asp");
        ASSERT_FALSE(created.empty());
        EXPECT_EQ(created[0].body,
                  "action=new&Name=Road&LastName=Tester&Address1=1+Runway+Road&City=Tovrin&StateProv=TV"
                  "&Zipcode=12345&Email=road.tester%40tovrin.example&Password1=clearsky77&UserName=roadtester"
                  "&Country=Germany");
        EXPECT_EQ(savedValue("email"), std::string(kEmail));
        EXPECT_EQ(savedValue("password"), scramble(kPassword));
    }

    // The browser on the demo store's mailbox page, then on the link of the mail.
    bool openVerificationLink()
    {
        const std::string site = "http://127.0.0.1:" + std::to_string(store_.httpPort());
        const std::string mailbox = http::perform({site + "/mailbox.asp"}).body;
        const std::string to = std::string("To ") + kEmail + ": ";
        const std::size_t mail = mailbox.find(to);
        const std::size_t href = mailbox.find("href=\"", mail);
        if (mail == std::string::npos || href == std::string::npos)
            return false;
        const std::size_t start = href + 6;
        const std::string link = mailbox.substr(start, mailbox.find('"', start) - start);
        const http::Reply page = http::perform({site + link});
        return page.status == 200 && page.body.find("Your account is verified.") != std::string::npos;
    }

    // The customer picks the glider and applies the coupon SAVE10 typed by hand.
    void applyCoupon()
    {
        QWidget& window = main();
        clickRow(window, ids::kProductList, kProduct);
        EXPECT_EQ(seen(window, ids::kProductTitle), kProduct);
        EXPECT_EQ(seen(window, ids::kAddToCart), "Add to Cart ($22.00)");
        EXPECT_EQ(seen(window, ids::kFileStatus), "File Status: Not downloaded");
        EXPECT_EQ(seen(window, ids::kCheckout), "Checkout (0) Items");

        windows_.expect("Select Coupon Type", [](QWidget& box) {
            auto* dialog = dynamic_cast<ui::MessageBoxDialog*>(&box);
            ASSERT_NE(dialog, nullptr);
            ASSERT_NE(dialog->button(ui::kIdYes), nullptr);
            ASSERT_NE(dialog->button(ui::kIdNo), nullptr);
            EXPECT_EQ(dialog->button(ui::kIdYes)->text().toStdString(), "Auto-Lookup (Upgrades Only)");
            EXPECT_EQ(dialog->button(ui::kIdNo)->text().toStdString(), "Enter Manually");
            answerBox("Would you like us to auto-lookup an available coupon or enter one manually?\r\n\r\nNote: "
                      "Auto-Lookup applies only to upgrade discounts that are associated with a previous purchase.",
                      ui::kIdNo)(box);
        });
        windows_.expect("Enter a Coupon", [](QWidget& entry) {
            EXPECT_EQ(seen(entry, ids::kCouponPrompt),
                      "Coupon for Glider ASK 21... Please enter a coupon code below and select the Submit button. "
                      "If the coupon is valid the price will be automatically adjusted.");
            type(entry, ids::kCouponCode, "SAVE10");
            EXPECT_EQ(seen(entry, ids::kCouponEcho), "SAVE10");
            click(entry, ids::kCouponSubmit);
        });
        windows_.expect("Coupon Successfully Applied",
                        answerBox("The selected coupon has successfully been applied. Your new price of $19.80 has "
                                  "been set for the selected product.",
                                  ui::kIdOk));
        store_.clearRequests();
        click(window, ids::kApplyCoupon);
        ASSERT_TRUE(windows_.allMet()) << "still expected: " << windows_.stillExpected();

        EXPECT_EQ(seen(window, ids::kAddToCart), "Add to Cart ($19.80)");
        const auto coupon = requestsTo("https", "/vncoupon1.asp");
        ASSERT_EQ(coupon.size(), 1u);
        EXPECT_EQ(coupon[0].body, "email=road.tester@tovrin.example&password=clearsky77&vendorid=tovrin"
                                  "&productid=tov-1016&coupon=SAVE10&version=2.11&qk=2");
    }

    // Into the cart at the coupon price, through the cart to the checkout, paid by card.
    void buyByCard()
    {
        QWidget& window = main();
        click(window, ids::kAddToCart);
        EXPECT_EQ(seen(window, ids::kAddToCart), "Remove ($19.80)");
        EXPECT_EQ(seen(window, ids::kCheckout), "Checkout (1) Items");

        windows_.expect("Your Cart", [](QWidget& cart) {
            EXPECT_EQ(rows(cart, ids::kCartList), (Rows{{kProduct, "19.80"}}));
            EXPECT_EQ(seen(cart, ids::kCartTotalText), "Cart Total: $19.80");
            EXPECT_TRUE(shownOn(cart, ids::kCartTaxNote));
            EXPECT_FALSE(shownOn(cart, ids::kCartGiftBox));
            click(cart, ids::kCartProceed);
        });
        windows_.expect("Varnel Secure Purchasing", [](QWidget& checkout) {
            EXPECT_EQ(seen(checkout, ids::kSummary), "Subtotal (1 item in cart):");
            EXPECT_EQ(seen(checkout, ids::kSubtotal), "$19.80");
            EXPECT_EQ(seen(checkout, ids::kTax), "$1.63");
            EXPECT_EQ(seen(checkout, ids::kTotal), "$21.43");
            EXPECT_EQ(seen(checkout, ids::kCheckoutAccountEmail), kEmail);
            EXPECT_EQ(seen(checkout, ids::kNameOnCard), kName);
            EXPECT_TRUE(checked(checkout, ids::kUseCard));
            type(checkout, ids::kCardNumber, "4111111111111111");
            choose(checkout, ids::kExpiryMonth, "05");
            choose(checkout, ids::kExpiryYear, "29");
            type(checkout, ids::kCardCode, "123");
            click(checkout, ids::kPurchaseWithCard);
        });
        windows_.expect("Information",
                        answerBox(std::string("Your purchase has been approved! Your order number is ") + kOrderNumber +
                                      ".\n\nA receipt has been emailed to you. This order has also been saved in your "
                                      "Varnel account.\n\nWe thank you for your purchase!",
                                  ui::kIdOk));
        store_.clearRequests();
        click(window, ids::kCheckout);
        ASSERT_TRUE(windows_.allMet()) << "still expected: " << windows_.stillExpected();

        const auto purchase = requestsTo("https", "/cgi-bin/vnprocess1.asp");
        ASSERT_EQ(purchase.size(), 1u);
        // The store's log masks the card number but for its last four digits, and the code.
        EXPECT_EQ(purchase[0].body,
                  "action=purchase&vendor=Tovrin+Simulations&vendorid=tovrin&vendorpwd=tvS8x2Qa&channel=0"
                  "&version=2.11&qk=2&email=road.tester@tovrin.example&password=clearsky77"
                  "&productlist=tov-1016|Glider+ASK+21|19.80|SAVE10|1.63|tovrin|Tovrin+Simulations|01*"
                  "&cname=Road+Tester&cardnum=************1111&expdate=0529&ccv=***&gift=no&taxrate=0.0825"
                  "&total=$21.43");
        // The cart is empty, and the store was asked again: the glider is the customer's now.
        EXPECT_EQ(seen(window, ids::kCheckout), "Checkout (0) Items");
        EXPECT_FALSE(enabled(window, ids::kCheckout));
        const Rows listed = rows(window, ids::kProductList);
        ASSERT_FALSE(listed.empty());
        EXPECT_EQ(listed[0], (std::vector<std::string>{kOwnedRow, "Aircraft", "Library"}));
        for (std::size_t row = 1; row < listed.size(); ++row) {
            EXPECT_NE(listed[row][0].rfind("* ", 0), 0u) << listed[row][0];
            EXPECT_NE(listed[row][0], kProduct);
        }
    }

    // "My Library" lists the glider alone; its panel offers the download.
    void findInLibrary()
    {
        QWidget& window = main();
        choose(window, ids::kCategoryBox, "My Library");
        EXPECT_EQ(rows(window, ids::kProductList), (Rows{{kOwnedRow, "Aircraft", "Library"}}));
        clickRow(window, ids::kProductList, kOwnedRow);
        EXPECT_EQ(seen(window, ids::kProductTitle), kProduct);
        EXPECT_EQ(seen(window, ids::kOrderLink),
                  std::string("Order Number: ") + kOrderNumber + "\nCertificate: CERT-" + kOrderNumber);
        EXPECT_EQ(seen(window, ids::kFileStatus), kNotDownloaded);
        EXPECT_EQ(seen(window, ids::kFolderPath), store_.deployment().appDataDir.string());
        EXPECT_FALSE(enabled(window, ids::kAddToCart));
        EXPECT_FALSE(enabled(window, ids::kApplyCoupon));
        EXPECT_TRUE(enabled(window, ids::kDownloadFile));
        EXPECT_FALSE(enabled(window, ids::kOpenDownloadedFile));
        EXPECT_FALSE(enabled(window, ids::kCancelDownload));
    }

    // The file arrives whole, with its record beside it, and is opened once recorded.
    void downloadTheFile(FileServers servers)
    {
        QWidget& window = main();
        store_.clearRequests();
        const std::time_t before = std::time(nullptr);
        click(window, ids::kDownloadFile);
        EXPECT_EQ(seen(window, ids::kFileStatus), "File: tov-1016.zip\nFile Size: 2.12 MB");
        ASSERT_TRUE(waitFor([this] { return !browser_.opened.empty(); }))
            << "the download did not end: " << seen(main(), ids::kProgressText);
        const std::time_t after = std::time(nullptr);

        ASSERT_EQ(browser_.opened.size(), 1u);
        EXPECT_TRUE(fs::equivalent(browser_.opened[0], downloadedFile())) << browser_.opened[0];
        EXPECT_EQ(seen(window, ids::kProgressText), "Download Completed");
        EXPECT_EQ(progress(window, ids::kDownloadProgress), 0);
        EXPECT_TRUE(enabled(window, ids::kProductList));
        EXPECT_TRUE(enabled(window, ids::kOpenDownloadedFile));
        EXPECT_FALSE(enabled(window, ids::kCancelDownload));

        // On the wire: one file id, and the file from where it is.
        const auto fileIds = requestsTo("https", "/vngetfile.asp");
        ASSERT_EQ(fileIds.size(), 1u);
        EXPECT_EQ(fileIds[0].body, "vid=tovrin&vpwd=tvS8x2Qa&login=road.tester@tovrin.example&password=clearsky77"
                                   "&pid=tov-1016&version=2.11&qk=2");
        const std::string target = std::string("/sendfile.php?id=") + kFileName;
        std::string servedFrom;
        if (servers == FileServers::BothUp) {
            const auto fetched = requestsOn("file1");
            ASSERT_EQ(fetched.size(), 1u);
            EXPECT_EQ(fetched[0].target, target);
            EXPECT_EQ(fetched[0].header("Range"), "bytes=0-");
            EXPECT_TRUE(requestsOn("file2").empty());
            servedFrom = "http://127.0.0.1:" + std::to_string(store_.filePrimaryPort()) + target;
        } else {
            // The primary refused the connection; the one retry went to the secondary,
            // which sent it on to the mirror.
            EXPECT_TRUE(requestsOn("file1").empty());
            const auto redirected = requestsOn("file2");
            ASSERT_EQ(redirected.size(), 1u);
            EXPECT_EQ(redirected[0].target, target);
            EXPECT_EQ(redirected[0].header("Range"), "bytes=0-");
            const auto mirrored = requestsTo("http", "/mirror" + target);
            ASSERT_EQ(mirrored.size(), 1u);
            EXPECT_EQ(mirrored[0].header("Range"), "bytes=0-");
            servedFrom = "http://127.0.0.1:" + std::to_string(store_.httpPort()) + "/mirror" + target;
        }

        // The bytes are the store's own.
        const http::Reply served = http::perform({servedFrom});
        ASSERT_EQ(served.status, 200);
        ASSERT_EQ(served.body.size(), kFileSize);
        EXPECT_EQ(fs::file_size(downloadedFile()), kFileSize);
        EXPECT_TRUE(readAll(downloadedFile()) == served.body) << "the downloaded file differs from the served one";

        // The record beside it: five CR LF lines, the date in UTC.
        const std::string record = readAll(recordFile());
        const std::string head = "vnproduct=Glider ASK 21\r\nvnproductid=tov-1016\r\nfilename=tov-1016.zip\r\ndate=";
        ASSERT_EQ(record.rfind(head, 0), 0u) << record;
        const std::size_t dateEnd = record.find("\r\n", head.size());
        ASSERT_NE(dateEnd, std::string::npos) << record;
        EXPECT_EQ(record.substr(dateEnd), "\r\nversion=1.0\r\n");
        const std::string date = record.substr(head.size(), dateEnd - head.size());
        const std::time_t written = utcFromAsctime(date);
        EXPECT_GE(written, before) << date;
        EXPECT_LE(written, after) << date;
        EXPECT_EQ(seen(window, ids::kFileStatus), "File: tov-1016.zip\nDownloaded on: " + date +
                                                      "\nVersion Downloaded: 1.0\nAvailable Version: 1.0");

        // Open Downloaded File hands the same file to the desktop again.
        click(window, ids::kOpenDownloadedFile);
        ASSERT_EQ(browser_.opened.size(), 2u);
        EXPECT_EQ(browser_.opened[1], browser_.opened[0]);
    }

    // The customer fetches the file again and cancels while it comes: no partial file
    // and no record stay behind.
    void cancelASecondDownload(FileServers servers)
    {
        QWidget& window = main();
        // The transfer stops after its first 64 KiB and waits there.
        ASSERT_TRUE(store_.control("fileid", "-hold65536"));
        // Download File stays off after a completion until a product is shown again.
        EXPECT_FALSE(enabled(window, ids::kDownloadFile));
        choose(window, ids::kCategoryBox, "All Categories");
        EXPECT_EQ(seen(window, ids::kProductTitle), kProduct);
        ASSERT_TRUE(enabled(window, ids::kDownloadFile));

        windows_.expect("File Already Exists",
                        answerBox("The selected file already exists. Do you wish to delete the existing file and "
                                  "re-download?",
                                  ui::kIdYes));
        store_.clearRequests();
        click(window, ids::kDownloadFile);
        ASSERT_TRUE(windows_.allMet()) << "still expected: " << windows_.stillExpected();

        ASSERT_TRUE(waitFor([&] { return seen(window, ids::kProgressText).rfind("Remaining: ", 0) == 0; }))
            << seen(window, ids::kProgressText);
        EXPECT_NE(seen(window, ids::kProgressText).find(" of 2.12 MB) "), std::string::npos)
            << seen(window, ids::kProgressText);
        // The new download has started: the old copy and its record are gone, and the
        // bytes go to the partial file until the file is whole.
        EXPECT_FALSE(fs::exists(recordFile()));
        EXPECT_FALSE(fs::exists(downloadedFile()));
        EXPECT_TRUE(fs::exists(downloadedFile().string() + ".part"));
        EXPECT_FALSE(enabled(window, ids::kProductList));
        EXPECT_FALSE(enabled(window, ids::kDownloadFile));

        click(window, ids::kCancelDownload);
        ASSERT_TRUE(waitFor([&] { return seen(window, ids::kProgressText) == "Download Canceled"; }))
            << seen(window, ids::kProgressText);
        EXPECT_FALSE(fs::exists(downloadedFile()));
        EXPECT_FALSE(fs::exists(recordFile()));
        EXPECT_TRUE(fs::is_empty(downloadFolder()));
        EXPECT_EQ(seen(window, ids::kFileStatus), kNotDownloaded);
        EXPECT_EQ(progress(window, ids::kDownloadProgress), 0);
        EXPECT_TRUE(enabled(window, ids::kDownloadFile));
        EXPECT_FALSE(enabled(window, ids::kCancelDownload));
        EXPECT_FALSE(enabled(window, ids::kOpenDownloadedFile));
        EXPECT_TRUE(enabled(window, ids::kProductList));
        EXPECT_EQ(browser_.opened.size(), 2u);  // nothing more was opened

        // The second download asked from byte 0, the old copy having been deleted.
        const std::string held = std::string("/sendfile.php?id=") + kFileName + "-hold65536";
        const auto fetched = servers == FileServers::BothUp ? requestsOn("file1") : requestsTo("http", "/mirror" + held);
        ASSERT_EQ(fetched.size(), 1u);
        EXPECT_EQ(fetched[0].header("Range"), "bytes=0-");
        ASSERT_TRUE(store_.control("fileid", ""));
    }

    // Logging out forgets the saved login; the window asks for a login again and the
    // customer declines.
    void logOut()
    {
        QWidget& window = main();
        windows_.expect("Logout Confirmation", answerBox(app::kLogoutQuestion, ui::kIdYes));
        windows_.expect("Log in to your Varnel Acount...", [](QWidget& login) {
            EXPECT_EQ(seen(login, ids::kLoginEmail), "");
            EXPECT_EQ(seen(login, ids::kLoginPassword), "");
            click(login, ids::kLoginCancel);
        });
        windows_.expect("Error", answerBox("We could not log you into your Varnel account. Please select the Login "
                                           "option in the main screen.",
                                           ui::kIdOk));
        click(window, ids::kLogout);
        ASSERT_TRUE(windows_.allMet()) << "still expected: " << windows_.stillExpected();

        EXPECT_EQ(savedValue("email"), std::nullopt);
        EXPECT_EQ(savedValue("password"), std::nullopt);
        EXPECT_EQ(seen(window, ids::kStatusText), "You are not logged in.");
        EXPECT_TRUE(enabled(window, ids::kLogin));
        EXPECT_FALSE(enabled(window, ids::kLogout));
        EXPECT_FALSE(enabled(window, ids::kEditAccount));
        EXPECT_FALSE(enabled(window, ids::kApplyCoupon));
        EXPECT_FALSE(enabled(window, ids::kAddToCart));
        EXPECT_EQ(seen(window, ids::kCheckout), "Checkout (0) Items");
        // Every refresh of the road (account, purchase, logout) kept one of each fixed entry.
        const std::vector<std::string> categories = entries(window, ids::kCategoryBox);
        for (const char* fixed : {"All Categories", "My Library", "Updates Available", "------"})
            EXPECT_EQ(std::count(categories.begin(), categories.end(), fixed), 1) << fixed;
        const Rows listed = rows(window, ids::kProductList);
        bool gliderForSale = false;
        for (const auto& row : listed) {
            EXPECT_NE(row[0].rfind("* ", 0), 0u) << row[0];
            gliderForSale = gliderForSale || row == std::vector<std::string>{kProduct, "Aircraft", "$22.00"};
        }
        EXPECT_TRUE(gliderForSale);
    }

    void walkTheRoad(FileServers servers)
    {
        ASSERT_NO_FATAL_FAILURE(startAndCreateAccount());
        ASSERT_NO_FATAL_FAILURE(applyCoupon());
        ASSERT_NO_FATAL_FAILURE(buyByCard());
        ASSERT_NO_FATAL_FAILURE(findInLibrary());
        if (servers == FileServers::PrimaryDownSecondaryRedirecting) {
            ASSERT_TRUE(store_.control("primary", "down"));
            ASSERT_TRUE(store_.control("secondary", "redirect"));
        }
        ASSERT_NO_FATAL_FAILURE(downloadTheFile(servers));
        ASSERT_NO_FATAL_FAILURE(cancelASecondDownload(servers));
        ASSERT_NO_FATAL_FAILURE(logOut());
    }

    static std::string utf8Title(QWidget& window) { return window.windowTitle().toStdString(); }

    DemoStore store_;
    RecordingShell browser_;  // the customer's browser: pages and files open in it
    ModalWindows windows_;
    std::unique_ptr<app::AgentProgram> program_;
};

TEST_F(CustomerRoadTest, NewAccountCouponCardPurchaseLibraryDownloadCancelAndLogout)
{
    walkTheRoad(FileServers::BothUp);
}

TEST_F(CustomerRoadTest, SameRoadWithPrimaryFileServerDownAndSecondaryRedirecting)
{
    walkTheRoad(FileServers::PrimaryDownSecondaryRedirecting);
}

}  // namespace
}  // namespace qk::test
