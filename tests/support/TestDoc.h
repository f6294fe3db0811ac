#pragma once

#include "task/QuobrixDoc.h"

// The task record with the run's internals in reach, for tests that set up
// a run's state or look into it.
class CTestDoc : public CQuobrixDoc {
public:
    // Workers make virtual calls: they end before this part of the object
    // does, as they do before the record's own end.
    ~CTestDoc() override {
        StopLocalServer();
        ShutDownWorkers();
    }

    using CQuobrixDoc::m_arrRetired;
    using CQuobrixDoc::m_bKeywordsChanged;
    using CQuobrixDoc::m_bLockTasks;
    using CQuobrixDoc::m_bResolved;
    using CQuobrixDoc::m_bStop;
    using CQuobrixDoc::m_csCredential;
    using CQuobrixDoc::m_csOptions;
    using CQuobrixDoc::m_csResolve;
    using CQuobrixDoc::m_csResults;
    using CQuobrixDoc::m_csSites;
    using CQuobrixDoc::m_csSlots;
    using CQuobrixDoc::m_csSlotText;
    using CQuobrixDoc::m_csUrls;
    using CQuobrixDoc::m_failure;
    using CQuobrixDoc::m_hResultFile;
    using CQuobrixDoc::m_hThread;
    using CQuobrixDoc::m_hWndMainFrame;
    using CQuobrixDoc::m_hWndThreadBar;
    using CQuobrixDoc::m_hWndView;
    using CQuobrixDoc::m_nAbstractMaxLength;
    using CQuobrixDoc::m_nAbstractOffset;
    using CQuobrixDoc::m_nAbstractStart;
    using CQuobrixDoc::m_nMaxSites;
    using CQuobrixDoc::m_nMaxUrls;
    using CQuobrixDoc::m_nServerPort;
    using CQuobrixDoc::m_strAuthHost;
    using CQuobrixDoc::m_taskLock;
};
