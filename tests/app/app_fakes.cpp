#include "app_fakes.h"

namespace qk::test {

namespace {

// Forwards everything to the real dialog except the modal run, which ends with 0.
class CancelledModalView final : public ui::DialogView {
public:
    CancelledModalView(std::unique_ptr<ui::DialogView> real, std::vector<int>& runs, int id)
        : real_(std::move(real)), runs_(runs), id_(id)
    {
    }

    int runModal() override
    {
        runs_.push_back(id_);
        return 0;
    }

    void setTitle(const std::string& t) override { real_->setTitle(t); }
    std::string title() const override { return real_->title(); }
    void setIcon(int i) override { real_->setIcon(i); }
    void show() override { real_->show(); }
    void endDialog(int r) override { real_->endDialog(r); }
    void centreOver(ui::DialogView* o) override { real_->centreOver(o); }
    void postQuit(int c) override { real_->postQuit(c); }
    void setText(int id, const std::string& t) override { real_->setText(id, t); }
    std::string text(int id) const override { return real_->text(id); }
    bool textFitsCodePage(int id) const override { return real_->textFitsCodePage(id); }
    void setEnabled(int id, bool e) override { real_->setEnabled(id, e); }
    bool isEnabled(int id) const override { return real_->isEnabled(id); }
    void setVisible(int id, bool v) override { real_->setVisible(id, v); }
    bool isVisible(int id) const override { return real_->isVisible(id); }
    void setFocus(int id) override { real_->setFocus(id); }
    void setFont(int id, const std::string& f, int p, int w) override { real_->setFont(id, f, p, w); }
    void setChecked(int id, bool c) override { real_->setChecked(id, c); }
    bool isChecked(int id) const override { return real_->isChecked(id); }
    void comboClear(int id) override { real_->comboClear(id); }
    int comboAdd(int id, const std::string& t) override { return real_->comboAdd(id, t); }
    int comboCount(int id) const override { return real_->comboCount(id); }
    std::string comboText(int id, int i) const override { return real_->comboText(id, i); }
    void comboSetCurrent(int id, int i) override { real_->comboSetCurrent(id, i); }
    int comboCurrent(int id) const override { return real_->comboCurrent(id); }
    void listSetColumns(int id, const std::vector<ui::ListColumn>& c) override { real_->listSetColumns(id, c); }
    void listSetGridAndFullRow(int id) override { real_->listSetGridAndFullRow(id); }
    void listClear(int id) override { real_->listClear(id); }
    int listInsertRow(int id, int i, const std::vector<std::string>& c) override { return real_->listInsertRow(id, i, c); }
    void listAppendRows(int id, const std::vector<std::vector<std::string>>& r) override { real_->listAppendRows(id, r); }
    int listRowCount(int id) const override { return real_->listRowCount(id); }
    std::string listCell(int id, int r, int c) const override { return real_->listCell(id, r, c); }
    void listSelectRow(int id, int r) override { real_->listSelectRow(id, r); }
    int listFirstSelected(int id) const override { return real_->listFirstSelected(id); }
    void progressSetRange(int id, int a, int b) override { real_->progressSetRange(id, a, b); }
    void progressSetValue(int id, int v) override { real_->progressSetValue(id, v); }
    int progressValue(int id) const override { return real_->progressValue(id); }
    bool setPicture(int id, int x, int y, const std::string& b, double ratio) override
    {
        return real_->setPicture(id, x, y, b, ratio);
    }
    bool hasPicture(int id) const override { return real_->hasPicture(id); }
    void startTimer(int t, int ms) override { real_->startTimer(t, ms); }
    void stopTimer(int t) override { real_->stopTimer(t); }

private:
    std::unique_ptr<ui::DialogView> real_;
    std::vector<int>& runs_;
    int id_;
};

}  // namespace

std::unique_ptr<ui::DialogView> CancellingDialogFactory::create(const ui::DialogResource& resource,
                                                                ui::DialogHandler& handler,
                                                                ui::DialogView* owner)
{
    auto real = real_.create(resource, handler, owner);
    built_.emplace_back(resource.id, real.get());
    return std::make_unique<CancelledModalView>(std::move(real), modalRuns, resource.id);
}

ui::DialogView* CancellingDialogFactory::real(int id) const
{
    for (auto it = built_.rbegin(); it != built_.rend(); ++it)
        if (it->first == id)
            return it->second;
    return nullptr;
}

ProductRecord makeProduct(std::string_view id, std::string_view name, std::string_view price,
                          std::string_view categories, std::string_view salePrice,
                          std::string_view offer, std::string_view cartCode,
                          std::string_view hidden)
{
    ProductRecord record;
    record.setField(ProductRecord::kProductId, id);
    record.setField(ProductRecord::kName, name);
    record.setField(ProductRecord::kPrice, price);
    record.setField(ProductRecord::kCategories, categories);
    record.setField(ProductRecord::kSalePrice, salePrice);
    record.setField(ProductRecord::kOffer, offer);
    record.setField(ProductRecord::kCartCode, cartCode);
    record.setField(ProductRecord::kHidden, hidden);
    record.setField(ProductRecord::kInformation, std::string(name) + " information");
    record.setField(ProductRecord::kSupportLink, "https://support.example/" + std::string(id));
    return record;
}

std::string makeOrder(std::string_view id, std::string_view name, std::string_view files,
                      std::string_view fileSize, std::string_view certificate,
                      std::string_view serial, std::string_view price,
                      std::string_view orderNumber)
{
    std::string record;
    bool first = true;
    for (const std::string_view field : {id, name, files, std::string_view("1.0"), fileSize,
                                         std::string_view(""), std::string_view(""), certificate,
                                         serial, std::string_view("01"), std::string_view(""),
                                         price, std::string_view("0"), orderNumber}) {
        if (!first)
            record += '*';
        first = false;
        record += field;
    }
    return record;
}

}  // namespace qk::test
