#pragma once
// What the beacon texts and distances read from elsewhere: the country and state
// tables, the current listening location and the unit of distance.

#include <QByteArray>

#include "SharedState.h"

namespace qern {

struct ListenerContext {
    const CountryTable *countries = nullptr; // none: every country name is empty
    const StateTable *states = nullptr;
    int currentLocationIndex = 0; // 0 to 15; whose logged bit counts
    QByteArray locationLat;       // LocationLat(CurrentLocationIndex), "430000N"
    QByteArray locationLon;       // LocationLon(CurrentLocationIndex)
    bool imperial = false;        // frmLocation.optImperial: miles

    static ListenerContext fromState(const SharedState &state, const CountryTable *countries,
                                     const StateTable *states, bool imperial)
    {
        ListenerContext ctx;
        ctx.countries = countries;
        ctx.states = states;
        ctx.currentLocationIndex = state.CurrentLocationIndex;
        if (state.CurrentLocationIndex >= 0 && state.CurrentLocationIndex < kLocationCount) {
            ctx.locationLat = state.LocationLat[state.CurrentLocationIndex];
            ctx.locationLon = state.LocationLon[state.CurrentLocationIndex];
        }
        ctx.imperial = imperial;
        return ctx;
    }
};

} // namespace qern
