#pragma once

#include <QString>

#include <functional>
#include <memory>

// The picker windows that records open (the item search and the master-data lookup). The window
// layer registers a factory for each at start-up, so the records stay free of widgets.

class LookupWindow
{
public:
    virtual ~LookupWindow() = default;
    virtual void setSearchString(const QString &text) = 0;
    virtual QString SearchString() const = 0;
    virtual void setLookupType(int type) = 0;
    // Item search only: the location shown and the one that decides the query's form.
    virtual void setLocationName(const QString &) {}
    virtual void setLocationCode(const QString &) {}
    // Loads the window without showing it: sets blnExactMatch false, empties gLookupResult and
    // runs the search for SearchString.
    virtual void Load() = 0;
    virtual bool blnExactMatch() const = 0;
    // Shows the window modally; the choice, or the empty text, is left in gLookupResult.
    virtual void ShowModal() = 0;
};

using LookupWindowFactory = std::function<std::unique_ptr<LookupWindow>()>;

void setItemLookupFactory(LookupWindowFactory factory);   // frmItemLookup
void setMasterLookupFactory(LookupWindowFactory factory); // frmLookup

// Throw Error when no factory was registered.
std::unique_ptr<LookupWindow> createItemLookup();
std::unique_ptr<LookupWindow> createMasterLookup();

// The protocol every search method follows: load unseen, take an exact match at once, else
// show the window; returns gLookupResult as text afterwards.
QString RunLookup(LookupWindow &window);
