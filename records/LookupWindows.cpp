#include "records/LookupWindows.h"

#include "platform/Error.h"
#include "shell/Session.h"

namespace {

LookupWindowFactory g_itemLookup;
LookupWindowFactory g_masterLookup;

std::unique_ptr<LookupWindow> create(const LookupWindowFactory &factory, const char *what)
{
    if (!factory)
        throw Error(-1, QStringLiteral("LookupWindows"),
                    QStringLiteral("The %1 window is not available.").arg(QLatin1String(what)));
    return factory();
}

} // namespace

void setItemLookupFactory(LookupWindowFactory factory)
{
    g_itemLookup = std::move(factory);
}

void setMasterLookupFactory(LookupWindowFactory factory)
{
    g_masterLookup = std::move(factory);
}

std::unique_ptr<LookupWindow> createItemLookup()
{
    return create(g_itemLookup, "item search");
}

std::unique_ptr<LookupWindow> createMasterLookup()
{
    return create(g_masterLookup, "lookup");
}

QString RunLookup(LookupWindow &window)
{
    window.Load();
    if (window.blnExactMatch())
        gLookupResult = window.SearchString();
    else
        window.ShowModal();
    return gLookupResult.toString();
}
