// DeviceChange.cpp - turns device notifications into refresh requests.
#include "OstrelDlg.h"

#include <dbt.h>

LRESULT COstrelDlg::OnDeviceChange(WPARAM wParam, LPARAM lParam)
{
    switch (wParam)
    {
    case DBT_DEVNODES_CHANGED:
        m_bNodesChanged = TRUE;
        m_bRemoval = FALSE;
        break;
    case DBT_DEVICEARRIVAL:
        m_bArrival = TRUE;
        m_bNodesChanged = FALSE;
        break;
    case DBT_DEVICEREMOVECOMPLETE: {
        const auto *pHeader = reinterpret_cast<const DEV_BROADCAST_HDR *>(lParam);
        if (pHeader && pHeader->dbch_devicetype == DBT_DEVTYP_HANDLE)
            m_bRemoval = TRUE;
        break;
    }
    default:
        break;
    }

    if (m_bRemoval && m_bNodesChanged)
    {
        SetEvent(m_hRefreshEvent);
        m_bRemoval = FALSE;
        m_bNodesChanged = FALSE;
    }
    if (m_bNodesChanged && m_bArrival)
    {
        SetEvent(m_hRefreshEvent);
        m_bNodesChanged = FALSE;
        m_bArrival = FALSE;
    }
    Default();
    return 0;
}
