#include <fstream>

#include <QVariant>
#include <QWidget>

#include "panel_fixture.h"
#include "platform/text_encoding.h"
#include "ui/qt_dialog.h"

namespace qk::test {
namespace {

namespace ids = ui::resources;
using ::testing::ElementsAre;

class DetailPanel : public PanelFixture {
protected:
    void SetUp() override
    {
        setCatalog({
            makeProduct("tov-1001", "Skylane", "29.95", "Aircraft", "", "10|tov-1004", "01"),
            makeProduct("tov-1002", "Piper Cub", "19.95", "Aircraft", "14.95", "", "01"),
            makeProduct("tov-1003", "Alpine Airfields", "24.95", "Scenery", "24.95", "", "02"),
            makeProduct("tov-1004", "Navigation Charts", "14.95", "Utilities", "", "", "03"),
            makeProduct("tov-1005", "Twin Otter", "39.95", "Aircraft", "", "5|tov-1004", "01"),
            makeProduct("bndl-2001", "Starter Bundle", "44.95", "Bundles", "", "10|tov-1004", "04"),
            makeProduct("tov-1011", "Grand Canyon", "59.95", "Scenery"),
            makeProduct("tov-1012", "Airliner", "79.95", "Aircraft"),
        });
        logIn({makeOrder("tov-1011", "Grand Canyon",
                         "Part1.zip:3145728/Part2.zip:2097152", "5242880"),
               makeOrder("tov-1012", "Airliner", "Airliner.zip", "8388608", "CERT-737",
                         "TOV-737-5521", "79.95", "700105")});
        fill();
    }

    std::string text(int id) const { return view_->text(id); }
};

TEST_F(DetailPanel, SameRowRefreshesOnceButAlwaysAfterLogout)
{
    show("Skylane");
    EXPECT_EQ(text(ids::kProductTitle), "Skylane");
    view_->setText(ids::kProductTitle, "stale");

    app::showSelectedProduct(*agent_, *view_);  // same row again: nothing happens
    EXPECT_EQ(text(ids::kProductTitle), "stale");

    agent_->appState.selectedProduct = -1;  // as Logout leaves it
    app::showSelectedProduct(*agent_, *view_);
    EXPECT_EQ(text(ids::kProductTitle), "Skylane");
}

TEST_F(DetailPanel, TwoFileProductUsesTheFileBoxUntilAFileIsChosen)
{
    show("* Grand Canyon");
    const auto& product = agent_->currentProduct;
    EXPECT_TRUE(product.multiFile);
    EXPECT_TRUE(view_->isVisible(ids::kFileBox));
    ASSERT_EQ(view_->comboCount(ids::kFileBox), 3);
    EXPECT_EQ(view_->comboText(ids::kFileBox, 0), "Select File...");
    EXPECT_EQ(view_->comboText(ids::kFileBox, 1), "Part1.zip");
    EXPECT_EQ(view_->comboText(ids::kFileBox, 2), "Part2.zip");
    EXPECT_FALSE(view_->isEnabled(ids::kDownloadFile));
    EXPECT_TRUE(view_->isVisible(ids::kFileStatusWithBox));
    EXPECT_FALSE(view_->isVisible(ids::kFileStatus));
    EXPECT_EQ(text(ids::kFileStatusWithBox), "File Status: Select a File...");
    EXPECT_EQ(product.fileSizeText, "");

    view_->comboSetCurrent(ids::kFileBox, 2);
    app::onFileBoxChanged(*agent_, *view_);
    EXPECT_TRUE(view_->isEnabled(ids::kDownloadFile));
    EXPECT_EQ(product.selectedFile, "Part2.zip");
    EXPECT_EQ(product.fileSizeText, "2.00 MB");

    view_->comboSetCurrent(ids::kFileBox, 0);
    app::onFileBoxChanged(*agent_, *view_);
    EXPECT_FALSE(view_->isEnabled(ids::kDownloadFile));
    EXPECT_EQ(product.previousFile, "");
}

TEST_F(DetailPanel, SingleFileOrderEnablesDownloadAndShowsTheOrderLinks)
{
    show("* Airliner");
    const auto& product = agent_->currentProduct;
    EXPECT_FALSE(product.multiFile);
    EXPECT_FALSE(view_->isVisible(ids::kFileBox));
    EXPECT_TRUE(view_->isEnabled(ids::kDownloadFile));
    EXPECT_FALSE(view_->isEnabled(ids::kAddToCart));
    EXPECT_EQ(product.selectedFile, "Airliner.zip");
    EXPECT_EQ(product.fileSizeText, "8.00 MB");
    EXPECT_EQ(app::orderLinkText(product),
              "Order Number: 700105\r\nCertificate: <a>CERT-737</a>\r\nSerial Number: "
              "<a>TOV-737-5521</a>");
}

TEST_F(DetailPanel, OrderWithoutSerialOrWithUnreadableSizeShowsLess)
{
    logIn({makeOrder("tov-1011", "Grand Canyon", "Part1.zip:3145728/Part2.zip:2097152", "5242880"),
           makeOrder("tov-1012", "Airliner", "Airliner.zip", "8 MB", "CERT-737", "")});
    show("* Airliner");
    EXPECT_EQ(agent_->currentProduct.fileSizeText, "");
    EXPECT_EQ(app::orderLinkText(agent_->currentProduct),
              "Order Number: 700101\r\nCertificate: <a>CERT-737</a>");
}

TEST_F(DetailPanel, BundleOfferNeedsMoreThanFivePercentAndNeverForBundles)
{
    show("Twin Otter");  // 5 percent
    EXPECT_FALSE(view_->isVisible(ids::kBundlePricing));
    EXPECT_TRUE(agent_->currentProduct.bundleOffer.productId.empty());

    show("Starter Bundle");  // a bundle product never offers
    EXPECT_FALSE(view_->isVisible(ids::kBundlePricing));

    show("Skylane");  // 10 percent
    EXPECT_TRUE(view_->isVisible(ids::kBundlePricing));
    EXPECT_EQ(text(ids::kBundlePricing), "Add Navigation Charts to your cart for 10% savings!");
    const auto& offer = agent_->currentProduct.bundleOffer;
    EXPECT_EQ(offer.productId, "tov-1004");
    EXPECT_EQ(offer.discountedPrice, "13.46");
    EXPECT_EQ(offer.cartTag, "03");
}

TEST_F(DetailPanel, SalePriceNoteAndCaptionsThroughAddAndRemove)
{
    show("Alpine Airfields");  // sale price equal to the price: not on sale
    EXPECT_EQ(text(ids::kPriceNote), "");
    EXPECT_EQ(text(ids::kAddToCart), "Add to Cart ($24.95)");

    show("Piper Cub");
    EXPECT_EQ(text(ids::kPriceNote), "This product is on sale! Now: $14.95 (was $19.95).");
    EXPECT_EQ(text(ids::kAddToCart), "Add to Cart ($14.95)");

    app::onAddToCartClicked(*agent_, *view_);
    EXPECT_EQ(text(ids::kAddToCart), "Remove ($14.95)");
    EXPECT_EQ(agent_->cart.items[0].price, "14.95");
    EXPECT_EQ(text(ids::kCheckout), "Checkout (1) Items");
    EXPECT_TRUE(view_->isEnabled(ids::kCheckout));

    app::onAddToCartClicked(*agent_, *view_);
    EXPECT_EQ(text(ids::kAddToCart), "Add to Cart ($14.95)");
    EXPECT_EQ(text(ids::kCheckout), "Checkout (0) Items");
    EXPECT_FALSE(view_->isEnabled(ids::kCheckout));
}

TEST_F(DetailPanel, TickedBundleOfferAddsTheOfferedProductAtItsDiscount)
{
    show("Skylane");
    view_->setChecked(ids::kBundlePricing, true);
    app::onBundlePricingClicked(*agent_, *view_);
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].caption, "Important Cart Information");
    EXPECT_EQ(box_.calls[0].text,
              "When you select Add to Cart we will also add Navigation Charts at a discounted "
              "price of $13.46. Note that if you remove Skylane from your cart Navigation Charts "
              "will also be removed.");

    app::onAddToCartClicked(*agent_, *view_);
    const auto& items = agent_->cart.items;
    EXPECT_EQ(items[0].productId, "tov-1001");
    EXPECT_EQ(items[0].linkedId, "tov-1004");
    EXPECT_EQ(items[1].productId, "tov-1004");
    EXPECT_EQ(items[1].price, "13.46");
    EXPECT_EQ(items[1].linkedId, "");
    EXPECT_EQ(text(ids::kCheckout), "Checkout (2) Items");

    // Removing the main product takes the companion with it.
    app::onAddToCartClicked(*agent_, *view_);
    EXPECT_EQ(text(ids::kCheckout), "Checkout (0) Items");
}

TEST_F(DetailPanel, OfferAboveOneHundredPercentIsNeitherShownNorAdded)
{
    setCatalog({
        makeProduct("tov-1001", "Skylane", "29.95", "Aircraft", "", "2147483647|tov-1004", "01"),
        makeProduct("tov-1005", "Twin Otter", "39.95", "Aircraft", "", "101|tov-1004", "01"),
        makeProduct("tov-1004", "Navigation Charts", "14.95", "Utilities", "", "", "03"),
    });
    fill();
    show("Skylane");
    EXPECT_FALSE(view_->isVisible(ids::kBundlePricing));
    EXPECT_TRUE(agent_->currentProduct.bundleOffer.productId.empty());

    show("Twin Otter");
    EXPECT_FALSE(view_->isVisible(ids::kBundlePricing));
    const auto& offer = agent_->currentProduct.bundleOffer;
    EXPECT_TRUE(offer.productId.empty());
    EXPECT_EQ(offer.discountedPrice, "");

    // Even with the box ticked, only the product itself goes into the cart.
    view_->setChecked(ids::kBundlePricing, true);
    app::onAddToCartClicked(*agent_, *view_);
    const auto& items = agent_->cart.items;
    EXPECT_EQ(items[0].productId, "tov-1005");
    EXPECT_EQ(items[0].price, "39.95");
    EXPECT_EQ(items[0].linkedId, "");
    EXPECT_EQ(text(ids::kCheckout), "Checkout (1) Items");
}

TEST_F(DetailPanel, LoggedOutVisitorCannotBuy)
{
    agent_->session.hasLogin = false;
    agent_->purchases = {};
    fill();
    show("Skylane");
    EXPECT_FALSE(view_->isEnabled(ids::kAddToCart));
    EXPECT_FALSE(view_->isEnabled(ids::kApplyCoupon));
    EXPECT_FALSE(view_->isEnabled(ids::kBundlePricing));
    EXPECT_EQ(text(ids::kFileStatus), "File Status: Not downloaded");
    EXPECT_EQ(text(ids::kOrderLink), "");
}

TEST_F(DetailPanel, CertificateAndSerialGoToTheClipboard)
{
    show("* Airliner");
    app::onOrderLinkClicked(*agent_, *view_, 0);
    EXPECT_EQ(clipboard_.contents, "CERT-737");
    app::onOrderLinkClicked(*agent_, *view_, 1);
    EXPECT_EQ(clipboard_.contents, "TOV-737-5521");
    ASSERT_EQ(box_.calls.size(), 2u);
    EXPECT_EQ(box_.calls[0].text,
              "Your Certificate Number: CERT-737 has been copied to your clipboard. You can "
              "paste using CTRL + V.");
    EXPECT_EQ(box_.calls[1].text,
              "Your Serial Number: TOV-737-5521 has been copied to your clipboard. You can paste "
              "using CTRL + V.");
    EXPECT_EQ(box_.calls[1].caption, "Copied to Clipboard");
}

TEST_F(DetailPanel, ClipboardHeldElsewhereIsLeftAlone)
{
    show("* Airliner");
    clipboard_.heldByOtherProgram = true;
    app::onOrderLinkClicked(*agent_, *view_, 0);
    EXPECT_EQ(clipboard_.contents, "what was there before");
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text, "There was an error copying the text to the clipboard");
    EXPECT_EQ(box_.calls[0].caption, "Error Copying to Clipboard");
    EXPECT_EQ(box_.calls[0].flags & 0xF0u, ui::mb::kIconExclamation);
}

TEST_F(DetailPanel, OpenDownloadedFileSearchesTheFolderThenTheRecordedPath)
{
    show("* Airliner");
    const auto folder = dir_ / "downloads" / "VarnelPurchase" / "tovrin";
    std::filesystem::create_directories(folder);

    app::onOpenDownloadedFileClicked(*agent_, *view_);  // nothing on disk yet
    EXPECT_TRUE(shell_.opened.empty());
    ASSERT_EQ(box_.calls.size(), 1u);
    EXPECT_EQ(box_.calls[0].text,
              "There was an error locating the product download. Please re-download the software.");
    EXPECT_FALSE(box_.calls[0].hadCaption);

    const auto recorded = dir_ / "elsewhere.zip";
    std::ofstream(recorded) << "data";
    agent_->currentProduct.recordedFilePath = recorded.string();
    app::onOpenDownloadedFileClicked(*agent_, *view_);
    EXPECT_THAT(shell_.opened, ElementsAre(recorded.string()));

    std::ofstream(folder / "Airliner.zip") << "data";
    app::onOpenDownloadedFileClicked(*agent_, *view_);
    EXPECT_EQ(shell_.opened.back(), (folder / "Airliner.zip").string());
}

TEST_F(DetailPanel, StoreFileNamesNeverReachOutsideTheDownloadFolder)
{
    show("* Airliner");
    std::ofstream(dir_ / "downloads" / "secret.txt") << "data";
    std::filesystem::create_directories(dir_ / "downloads" / "VarnelPurchase" / "tovrin");
    agent_->currentProduct.selectedFile = "../../secret.txt";
    app::onOpenDownloadedFileClicked(*agent_, *view_);
    EXPECT_TRUE(shell_.opened.empty());
    EXPECT_FALSE(download::isSafeFileName(".."));
    EXPECT_FALSE(download::isSafeFileName("a\\b"));
    EXPECT_FALSE(download::isSafeFileName("c:x"));
    EXPECT_FALSE(download::isSafeFileName(""));
    EXPECT_TRUE(download::isSafeFileName("Airliner.zip"));
}

TEST_F(DetailPanel, DownloadFolderWithAccentsShowsAsTheCustomerNamedIt)
{
    // The folder path is UTF-8 on disk; the control must show "Téléchargements", not
    // the UTF-8 bytes read as Windows-1252 ("TÃ©lÃ©chargements").
    const std::string base = (dir_ / "T\xC3\xA9l\xC3\xA9" "chargements").string();
    agent_->appState.downloadBase = base;
    show("Skylane");
    auto* dialog = dynamic_cast<ui::QtDialog*>(dialogs_.real(ids::kMainWindowId));
    ASSERT_NE(dialog, nullptr);
    const QWidget* label = dialog->control(ids::kFolderPath);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->property("text").toString().toStdString(), base);
    EXPECT_EQ(text(ids::kFolderPath), platform::utf8ToCp1252(base));
}

TEST_F(DetailPanel, ProductSupportOpensTheRecordsLink)
{
    show("Skylane");
    app::onProductSupportClicked(*agent_);
    EXPECT_THAT(shell_.opened, ElementsAre("https://support.example/tov-1001"));
}

TEST_F(DetailPanel, ProductSupportOpensOnlyWebAddresses)
{
    show("Skylane");
    // Handed to the desktop's opener, each of these would open a file or start a program.
    for (const char* link : {"/usr/bin/xterm", "x.jar", "../setup.sh", "file:///etc/passwd",
                             "mailto:help@example.com", "javascript:alert(1)", "smb://host/share",
                             "http:///usr/bin/xterm", "https://", " https://support.example/",
                             "https://support.example/a b", "https://support.example/\n", ""}) {
        agent_->currentProduct.supportUrl = link;
        app::onProductSupportClicked(*agent_);
    }
    EXPECT_TRUE(shell_.opened.empty()) << shell_.opened.front();
    agent_->currentProduct.supportUrl = "HTTPS://Support.Example/Help?id=1";
    app::onProductSupportClicked(*agent_);
    agent_->currentProduct.supportUrl = "http://support.example";
    app::onProductSupportClicked(*agent_);
    EXPECT_THAT(shell_.opened,
                ElementsAre("HTTPS://Support.Example/Help?id=1", "http://support.example"));
}

}  // namespace
}  // namespace qk::test
