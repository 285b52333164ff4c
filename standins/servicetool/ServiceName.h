#pragma once

// The application's background service as the Service Control Manager
// knows it.
constexpr wchar_t kServiceName[] = L"ArrayvaneRaidService";
constexpr wchar_t kServiceDisplayName[] = L"Arrayvane RAID Service";

// The argument with which the SCM starts this tool as the service itself.
constexpr wchar_t kServiceModeArg[] = L"-service";
