#include "records/GenericObject.h"
#include "records/clsItem.h"
#include "records/clsItemMaster.h"
#include "records/clsLocation.h"
#include "records/clsTerms.h"
#include "records/clsUnitOfMeasure.h"
#include "tests/records/RecordsTesting.h"

#include <functional>

namespace {

// A 16-bit property of a record: how to set it and read it back.
struct IntegerProperty
{
    const char *name;
    std::function<void(double)> set;
    std::function<qint16()> get;
};

// Values outside -32768..32767 fail with Overflow (6) and leave the property as it was; the ends
// of the range and a fraction rounded into it are taken.
void expectOverflowOutsideTheRange(const IntegerProperty &property)
{
    property.set(32767);
    EXPECT_EQ(property.get(), 32767) << property.name;
    property.set(-32768);
    EXPECT_EQ(property.get(), -32768) << property.name;
    property.set(12.5);
    EXPECT_EQ(property.get(), 12) << property.name;

    for (const double outside : {32768.0, -32769.0, 40000.0, 70000.0, 1e12, 32767.5}) {
        try {
            property.set(outside);
            ADD_FAILURE() << property.name << " took " << outside;
        } catch (const Error &e) {
            EXPECT_EQ(e.Number(), 6) << property.name << " " << outside;
            EXPECT_EQ(e.Description(), QStringLiteral("Overflow")) << property.name;
        }
        EXPECT_EQ(property.get(), 12) << property.name << " after " << outside;
    }
}

TEST(IntegerProperties, ItemAtLocationRefusesValuesOutsideTheIntegerRange)
{
    clsItem item;
    for (const IntegerProperty &property : {
             IntegerProperty{"MarkupIn", [&](double v) { item.setMarkupIn(v); }, [&] { return item.MarkupIn(); }},
             IntegerProperty{"MarkupOut", [&](double v) { item.setMarkupOut(v); }, [&] { return item.MarkupOut(); }},
             IntegerProperty{"ItemStatus", [&](double v) { item.setItemStatus(v); }, [&] { return item.ItemStatus(); }},
             IntegerProperty{"UOM", [&](double v) { item.setUOM(v); }, [&] { return item.UOM(); }},
             IntegerProperty{"Packing", [&](double v) { item.setPacking(v); }, [&] { return item.Packing(); }},
         })
        expectOverflowOutsideTheRange(property);
}

TEST(IntegerProperties, ItemMasterRefusesValuesOutsideTheIntegerRange)
{
    clsItemMaster master;
    for (const IntegerProperty &property : {
             IntegerProperty{"VAT", [&](double v) { master.setVAT(v); }, [&] { return master.VAT(); }},
             IntegerProperty{"Packing", [&](double v) { master.setPacking(v); }, [&] { return master.Packing(); }},
             IntegerProperty{"ItemStatus", [&](double v) { master.setItemStatus(v); },
                             [&] { return master.ItemStatus(); }},
             IntegerProperty{"MarkupOut", [&](double v) { master.setMarkupOut(v); },
                             [&] { return master.MarkupOut(); }},
             IntegerProperty{"MarkupIn", [&](double v) { master.setMarkupIn(v); }, [&] { return master.MarkupIn(); }},
         })
        expectOverflowOutsideTheRange(property);
}

TEST(IntegerProperties, TermsUnitsLocationsAndGenericsRefuseValuesOutsideTheIntegerRange)
{
    clsTerms terms;
    clsUnitOfMeasure unit;
    clsLocation location;
    GenericObject generic;
    for (const IntegerProperty &property : {
             IntegerProperty{"Terms Code", [&](double v) { terms.setCode(v); }, [&] { return terms.Code(); }},
             IntegerProperty{"NumberOfDays", [&](double v) { terms.setNumberOfDays(v); },
                             [&] { return terms.NumberOfDays(); }},
             IntegerProperty{"Unit Code", [&](double v) { unit.setCode(v); }, [&] { return unit.Code(); }},
             IntegerProperty{"IsWareHouse", [&](double v) { location.setIsWareHouse(v); },
                             [&] { return location.IsWareHouse(); }},
             IntegerProperty{"isDispensingArea", [&](double v) { location.setisDispensingArea(v); },
                             [&] { return location.isDispensingArea(); }},
             IntegerProperty{"LastDeliveryQuantity", [&](double v) { generic.setLastDeliveryQuantity(v); },
                             [&] { return generic.LastDeliveryQuantity(); }},
         })
        expectOverflowOutsideTheRange(property);
}

} // namespace
