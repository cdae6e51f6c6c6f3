#include "panel_fixture.h"

namespace qk::test {

namespace ids = ui::resources;

namespace {

Deployment offlineDeployment(const std::filesystem::path& dir, int refusingPort)
{
    Deployment deployment;
    deployment.storeHost = "127.0.0.1";
    deployment.storeHttpsPort = refusingPort;
    deployment.storeHttpPort = refusingPort;
    deployment.settingsDir = dir / "settings";
    deployment.appDataDir = dir / "appdata";
    return deployment;
}

}  // namespace

PanelFixture::PanelFixture()
{
    agent_ = std::make_unique<app::Agent>(
        offlineDeployment(dir_, refusing_.port()),
        app::Services{dialogs_, box_.function(), shell_, clipboard_, folders_});
    view_ = dialogs_.create(ids::mainWindowResource(), handler_, nullptr);
    view_->listSetColumns(ids::kProductList, {{"Product", 380}, {"Category", 98}, {"Price", 62}});

    Session& session = agent_->session;
    session.vendorId = "tovrin";
    session.vendorName = "Tovrin Simulations";
    session.storeReady = true;
    session.taxRate = "0";
    agent_->appState.vendorId = "tovrin";
    agent_->appState.downloadBase = (dir_ / "downloads").string();
}

PanelFixture::~PanelFixture()
{
    view_.reset();
}

void PanelFixture::setCatalog(const std::vector<ProductRecord>& products)
{
    agent_->catalog.catalogRecords = products;
    agent_->catalog.catalogLoaded = true;
    agent_->appState.products.clear();
    for (const ProductRecord& record : agent_->catalog.catalogRecords)
        agent_->appState.products.push_back({&record, nullptr});
}

void PanelFixture::logIn(const std::vector<std::string>& orders)
{
    Purchases& purchases = agent_->purchases;
    purchases.assign("success*Alex Pilot*x*0*1", true);
    for (const std::string& order : orders)
        purchases.addOrder(order);
    purchases.purchasesLoaded = true;
    agent_->session.hasLogin = true;
    agent_->session.customerName = "Alex Pilot";
    agent_->appState.loggedIn = true;
}

void PanelFixture::fill(std::string_view filter)
{
    app::fillProductList(*view_, agent_->appState, agent_->purchases, agent_->cart.giftMode,
                         filter);
}

void PanelFixture::show(const std::string& name)
{
    // The list keeps earlier selections; rebuild it unselected so that `name` is the
    // first selected row, as after a click.
    const auto names = column(0), cats = column(1), prices = column(2);
    view_->listClear(ids::kProductList);
    int wanted = -1;
    for (std::size_t row = 0; row < names.size(); ++row) {
        view_->listInsertRow(ids::kProductList, static_cast<int>(row),
                             {names[row], cats[row], prices[row]});
        if (names[row] == name && wanted < 0)
            wanted = static_cast<int>(row);
    }
    ASSERT_GE(wanted, 0) << "no row named " << name;
    view_->listSelectRow(ids::kProductList, wanted);
    agent_->appState.shownRow = -1;
    app::showSelectedProduct(*agent_, *view_);
}

std::vector<std::string> PanelFixture::column(int column) const
{
    std::vector<std::string> cells;
    for (int row = 0; row < view_->listRowCount(ids::kProductList); ++row)
        cells.push_back(view_->listCell(ids::kProductList, row, column));
    return cells;
}

std::vector<std::string> PanelFixture::categories() const
{
    std::vector<std::string> entries;
    for (int i = 0; i < view_->comboCount(ids::kCategoryBox); ++i)
        entries.push_back(view_->comboText(ids::kCategoryBox, i));
    return entries;
}

}  // namespace qk::test
