#include "gui/app/listingkeeper.h"

#include "core/mainwindowstate.h"
#include "gui/app/searchpanel.h"
#include "startup/relisting.h"

void ListingKeeper::sync()
{
    if (m_state.weekChanges() != m_weekChanges) {
        m_weekChanges = m_state.weekChanges();
        relist(m_state);
    }
    if (m_state.listings() != m_listings) {
        m_listings = m_state.listings();
        m_summary = m_state.lblprogress;
        m_panel.showSearch(m_state.listing());
    } else if (m_state.lblprogress.isEmpty()) {
        m_state.lblprogress = m_summary;
    }
}
