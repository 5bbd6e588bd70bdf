#!/bin/sh
# Fails when a Windows program would not load on Windows XP SP3: its header asks for a later
# Windows, it imports from a DLL that XP lacks, or it imports a function that came with Vista or
# later (the loader refuses a program with a single missing import). Fails too when it is not
# marked terminal-server aware, as every session of a Remote Desktop host must share its files.
#   oldest_windows.sh OBJDUMP PROGRAM.exe
objdump=$1
program=$2
"$objdump" -p "$program" >"$program.headers" || exit 1
trap 'rm -f "$program.headers"' EXIT

awk '
# The oldest Windows a header field may ask for: 5.1, Windows XP.
function check_version(field, major, minor) {
    if (major > 5 || (major == 5 && minor > 1)) {
        printf "the header asks for Windows %d.%d (%s); Windows XP is 5.1\n", major, minor, field
        bad = 1
    }
}
BEGIN {
    # DLLs that Windows XP SP3 does not have.
    n = split("dwmapi.dll bcrypt.dll ncrypt.dll ucrtbase.dll vcruntime140.dll propsys.dll " \
              "d2d1.dll dwrite.dll d3d11.dll dxgi.dll wevtapi.dll tdh.dll", dlls, " ")
    for (i = 1; i <= n; i++) missing_dll[dlls[i]] = 1
    # Common functions of the system DLLs that came with Windows Vista or later.
    n = split("GetTickCount64 InitializeConditionVariable SleepConditionVariableCS " \
              "SleepConditionVariableSRW WakeConditionVariable WakeAllConditionVariable " \
              "InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared " \
              "ReleaseSRWLockExclusive ReleaseSRWLockShared TryAcquireSRWLockExclusive " \
              "TryAcquireSRWLockShared InitOnceExecuteOnce InitOnceBeginInitialize " \
              "InitOnceComplete InitializeCriticalSectionEx CreateEventExA CreateEventExW " \
              "CreateMutexExA CreateMutexExW CreateSemaphoreExA CreateSemaphoreExW " \
              "CreateWaitableTimerExW GetFileInformationByHandleEx SetFileInformationByHandle " \
              "GetFinalPathNameByHandleA GetFinalPathNameByHandleW CreateSymbolicLinkA " \
              "CreateSymbolicLinkW GetLocaleInfoEx LCMapStringEx CompareStringEx " \
              "GetUserDefaultLocaleName GetSystemDefaultLocaleName LocaleNameToLCID " \
              "LCIDToLocaleName GetSystemTimePreciseAsFileTime GetCurrentProcessorNumber " \
              "QueryFullProcessImageNameA QueryFullProcessImageNameW GetErrorMode CancelIoEx " \
              "CancelSynchronousIo GetQueuedCompletionStatusEx GetThreadId GetProcessIdOfThread " \
              "CreateThreadpoolWork SubmitThreadpoolWork CloseThreadpoolWork " \
              "CreateThreadpoolTimer SetThreadpoolTimer FlsAlloc FlsFree FlsGetValue FlsSetValue " \
              "AddDllDirectory SetDefaultDllDirectories RemoveDllDirectory " \
              "GetLogicalProcessorInformationEx SetFileCompletionNotificationModes " \
              "QueryUnbiasedInterruptTime GetProductInfo GetDynamicTimeZoneInformation " \
              "SetThreadStackGuarantee InitializeProcThreadAttributeList " \
              "UpdateProcThreadAttribute CreateFile2 GetOverlappedResultEx " \
              "SetProcessDPIAware IsProcessDPIAware ChangeWindowMessageFilter " \
              "ChangeWindowMessageFilterEx GetDpiForWindow GetDpiForSystem " \
              "SetProcessDpiAwarenessContext SetThreadDpiAwarenessContext " \
              "AdjustWindowRectExForDpi GetSystemMetricsForDpi SystemParametersInfoForDpi " \
              "RegisterTouchWindow ShutdownBlockReasonCreate AddClipboardFormatListener " \
              "CalculatePopupWindowPosition RegisterPowerSettingNotification " \
              "TaskDialog TaskDialogIndirect LoadIconMetric LoadIconWithScaleDown " \
              "RegGetValueA RegGetValueW RegDeleteTreeA RegDeleteTreeW RegSetKeyValueA " \
              "RegSetKeyValueW EventRegister EventUnregister EventWrite SHGetKnownFolderPath " \
              "SHCreateItemFromParsingName SHGetStockIconInfo", names, " ")
    for (i = 1; i <= n; i++) vista[names[i]] = 1
}
$1 == "MajorOSystemVersion" { os_major = $2 }
$1 == "MinorOSystemVersion" { check_version("operating system version", os_major, $2) }
$1 == "MajorSubsystemVersion" { sub_major = $2 }
$1 == "MinorSubsystemVersion" { check_version("subsystem version", sub_major, $2) }
# The flag 0x8000 of the DLL characteristics: terminal-server aware.
$1 == "DllCharacteristics" { tsaware = index("89abcdef", tolower(substr($2, length($2) - 3, 1))) > 0 }
/DLL Name:/ {
    dll = tolower($3)
    imports++
    if (dll in missing_dll || dll ~ /^api-ms-win-/ || dll ~ /^ext-ms-win-/) {
        printf "imports %s, which Windows XP does not have\n", dll
        bad = 1
    }
    next
}
# An import: its address, its hint and its name.
dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {
    # The secure C runtime functions came to the system msvcrt.dll with Vista.
    if ($3 in vista || (dll == "msvcrt.dll" && $3 ~ /_s$/)) {
        printf "imports %s!%s, which came with a later Windows than XP\n", dll, $3
        bad = 1
    }
    functions++
}
END {
    if (imports == 0 || functions == 0 || sub_major == "") {
        print "no import table or header read: not a Windows program?"
        exit 1
    }
    if (!tsaware) {
        print "not marked terminal-server aware: on a Remote Desktop host each user would get a private Windows directory"
        bad = 1
    }
    if (!bad) printf "loads on Windows XP SP3: %d functions from %d DLLs, none later than XP\n", functions, imports
    exit bad
}' "$program.headers"
