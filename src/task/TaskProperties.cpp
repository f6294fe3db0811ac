#include "task/TaskProperties.h"

#include "task/QuobrixDoc.h"

CTaskProperties PropertiesOf(const CTaskFields& fields) {
    CTaskProperties properties;
    properties.m_bPauseAfterSite = fields.m_bPauseAfterSite;
    properties.m_nDepth = fields.m_nDepth;
    properties.m_nResultsPerPage = fields.m_nResultsPerPage;
    properties.m_bPromptAuth = fields.m_bPromptAuth;
    properties.m_nAutoSaveMinutes = fields.m_nAutoSaveMinutes;
    properties.m_bFilterText = fields.m_bFilterText;
    properties.m_bFilterImage = fields.m_bFilterImage;
    properties.m_bFilterOthers = fields.m_bFilterOthers;
    properties.m_nTextMaxK = fields.m_nTextMaxK;
    properties.m_nImageMaxK = fields.m_nImageMaxK;
    properties.m_nOthersMaxK = fields.m_nOthersMaxK;
    properties.m_bRecolorLinks = fields.m_bRecolorLinks;
    properties.m_crLinkColor = fields.m_crLinkColor;
    properties.m_nRetries = fields.m_nRetries;
    properties.m_nTimeout = fields.m_nTimeout;
    properties.m_nMaxThreads = fields.m_nMaxThreads;
    return properties;
}

CTaskProperties CQuobrixDoc::GetProperties() const {
    CTaskProperties properties = PropertiesOf(*this);
    properties.m_keywords = GetKeywords();
    properties.m_abstract = GetAbstractSettings();
    return properties;
}

void CQuobrixDoc::SetProperties(const CTaskProperties& properties) {
    StoreProperties(properties);
    SetAbstractSettings(properties.m_abstract);
    // Marks the keywords changed whether or not they are.
    SetKeywords(properties.m_keywords.m_strText, properties.m_keywords.m_bMatchCase);
    SetModifiedFlag();
}

void CQuobrixDoc::StoreProperties(const CTaskProperties& properties) {
    // Each value goes in through its atomic: the task may be running.
    m_bPauseAfterSite = properties.m_bPauseAfterSite;
    m_nDepth = properties.m_nDepth;
    m_nResultsPerPage = properties.m_nResultsPerPage;
    m_bPromptAuth = properties.m_bPromptAuth;
    m_nAutoSaveMinutes = properties.m_nAutoSaveMinutes;
    m_bFilterText = properties.m_bFilterText;
    m_bFilterImage = properties.m_bFilterImage;
    m_bFilterOthers = properties.m_bFilterOthers;
    m_nTextMaxK = properties.m_nTextMaxK;
    m_nImageMaxK = properties.m_nImageMaxK;
    m_nOthersMaxK = properties.m_nOthersMaxK;
    m_bRecolorLinks = properties.m_bRecolorLinks;
    m_crLinkColor = properties.m_crLinkColor;
    m_nRetries = properties.m_nRetries;
    m_nTimeout = properties.m_nTimeout;
    m_nMaxThreads = properties.m_nMaxThreads;
}

CAbstractSettings CQuobrixDoc::GetAbstractSettings() const {
    return {m_nAbstractMaxLength, m_nAbstractStart, m_nAbstractOffset};
}

void CQuobrixDoc::SetAbstractSettings(const CAbstractSettings& settings) {
    m_nAbstractMaxLength = settings.m_nMaxLength;
    m_nAbstractStart = settings.m_nStart;
    m_nAbstractOffset = settings.m_nOffset;
}
