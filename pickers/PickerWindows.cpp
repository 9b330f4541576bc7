#include "pickers/PickerWindows.h"

#include "pickers/frmItemLookup.h"
#include "pickers/frmLookup.h"
#include "platform/Error.h"
#include "records/LookupWindows.h"

#include <QApplication>
#include <QPointer>

namespace {

// Owns one picker window for the length of a record's search. The window is parented to the
// active window so that it opens over it; the pointer guards against that parent going first.
template <typename Window>
class PickerAdapter : public LookupWindow
{
public:
    PickerAdapter() : m_window(new Window(QApplication::activeWindow())) {}
    ~PickerAdapter() override { delete m_window.data(); }

    void setSearchString(const QString &text) override { window().setSearchString(text); }
    QString SearchString() const override { return m_window ? m_window->SearchString() : QString(); }
    void setLookupType(int type) override { window().setLookupType(type); }
    void Load() override { window().Form_Load(); }
    bool blnExactMatch() const override { return m_window && m_window->blnExactMatch(); }
    void ShowModal() override { window().exec(); }

protected:
    Window &window()
    {
        if (!m_window)
            throw Error(-1, QStringLiteral("PickerWindows"), QStringLiteral("The window was closed."));
        return *m_window;
    }

private:
    QPointer<Window> m_window;
};

class ItemLookupAdapter : public PickerAdapter<frmItemLookup>
{
public:
    void setLocationName(const QString &name) override { window().setLocationName(name); }
    void setLocationCode(const QString &code) override { window().setLocationCode(code); }
};

using MasterLookupAdapter = PickerAdapter<frmLookup>;

} // namespace

void registerPickerWindows()
{
    setItemLookupFactory([] { return std::make_unique<ItemLookupAdapter>(); });
    setMasterLookupFactory([] { return std::make_unique<MasterLookupAdapter>(); });
}
