#include "install/install_guidance.h"

#include <array>
#include <cctype>

namespace {

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// A failure line of the client: "Failure [...]" at its start, or after "...: " as in
// "adb.exe: failed to install x.apk: Failure [...]". A path holding the word elsewhere is no verdict.
size_t FailureStart(std::string_view log) {
    size_t from = 0;
    while ((from = log.find("Failure [", from)) != std::string_view::npos) {
        if (from == 0 || log[from - 1] == '\n' || (from >= 2 && log.substr(from - 2, 2) == ": ")) {
            return from;
        }
        ++from;
    }
    return std::string_view::npos;
}

struct CodeHint {
    std::string_view code;
    std::string_view text;
};

// The package manager's refusals: what happened and what to do.
constexpr std::array kCodeHints = {
    CodeHint{"INSTALL_FAILED_ALREADY_EXISTS", "这个应用已经装在 WSA 里了。如要重新安装，请先在 WSA 里卸载它。"},
    CodeHint{"INSTALL_FAILED_INVALID_APK", "安装包无效或不完整。请重新下载；分包安装时，所有分包必须来自同一个版本。"},
    CodeHint{"INSTALL_FAILED_INVALID_URI",
             "安装包在 WSA 里的路径无效。请重新安装一次；仍不行时把安装包换个文件名再试。"},
    CodeHint{"INSTALL_FAILED_INSUFFICIENT_STORAGE", "WSA 的存储空间不够。请在 WSA 里卸载不用的应用或清理数据后再试。"},
    CodeHint{"INSTALL_FAILED_DUPLICATE_PACKAGE", "WSA 里已有同名的应用。请先卸载那一个再安装。"},
    CodeHint{
        "INSTALL_FAILED_UPDATE_INCOMPATIBLE",
        "WSA 里已装的同名应用签名不同（多半来自别的渠道）。请先在 WSA 里卸载旧的应用（它的数据会丢失），再安装这个。"},
    CodeHint{"INSTALL_FAILED_SHARED_USER_INCOMPATIBLE",
             "这个应用和 WSA 里另一个应用共用身份，但签名不同。请先卸载那个应用。"},
    CodeHint{"INSTALL_FAILED_MISSING_SHARED_LIBRARY",
             "这个应用需要 WSA 没有的系统库（例如谷歌服务），无法在这里安装。"},
    CodeHint{"INSTALL_FAILED_DEXOPT",
             "WSA 没能处理这个应用的代码，多半是空间不够或安装包损坏。请清理空间或重新下载后再试。"},
    CodeHint{"INSTALL_FAILED_OLDER_SDK",
             "这个应用需要更新的安卓版本，WSA 的版本太旧，无法安装。请换一个支持旧版安卓的应用版本。"},
    CodeHint{"INSTALL_FAILED_CONFLICTING_PROVIDER",
             "这个应用和 WSA 里另一个应用冲突（内容提供者重名）。请先卸载那个应用。"},
    CodeHint{"INSTALL_FAILED_NEWER_SDK", "这个应用只支持较旧的安卓版本，不能装在这个 WSA 上。请换一个较新的应用版本。"},
    CodeHint{"INSTALL_FAILED_TEST_ONLY", "这是一个仅供测试的安装包，系统不允许直接安装。请使用正式发布的版本。"},
    CodeHint{
        "INSTALL_FAILED_CPU_ABI_INCOMPATIBLE",
        "这个安装包的原生代码不适合 WSA 的处理器架构。请下载适合 x86_64 或 arm64 的版本，或包含全部架构分包的安装包。"},
    CodeHint{"INSTALL_FAILED_MISSING_FEATURE", "这个应用需要 WSA 没有的硬件或系统功能，无法在这里安装。"},
    CodeHint{"INSTALL_FAILED_INVALID_INSTALL_LOCATION", "这个应用要求的安装位置在 WSA 里不可用，无法安装。"},
    CodeHint{"INSTALL_FAILED_VERIFICATION_TIMEOUT", "WSA 的应用验证超时了。请稍后再安装一次。"},
    CodeHint{"INSTALL_FAILED_VERIFICATION_FAILURE",
             "WSA 的应用验证没有通过这个安装包。请确认安装包来源可靠，或在 WSA 里关闭应用验证后再试。"},
    CodeHint{"INSTALL_FAILED_UID_CHANGED",
             "这个应用以前的残留数据和新安装冲突。请在 WSA 里彻底卸载它，重启 WSA 后再安装。"},
    CodeHint{"INSTALL_FAILED_VERSION_DOWNGRADE",
             "WSA 里已装的版本比这个安装包新，不能直接降级。请先在 WSA "
             "里卸载已装的应用（它的数据会丢失），再安装这个版本。"},
    CodeHint{"INSTALL_FAILED_PERMISSION_MODEL_DOWNGRADE",
             "这个版本的权限模式比已装的版本旧，不能覆盖安装。请先卸载已装的应用再安装。"},
    CodeHint{"INSTALL_FAILED_MISSING_SPLIT",
             "缺少这个应用必需的分包。请使用包含全部分包的安装包（.apks、.apkm 或 .xapk）安装。"},
    CodeHint{"INSTALL_FAILED_DEPRECATED_SDK_VERSION",
             "这个应用是为很旧的安卓版本做的，WSA 不再允许安装。请换一个较新的应用版本。"},
    CodeHint{"INSTALL_PARSE_FAILED_NOT_APK", "这个文件不是安卓安装包。请确认选择了 .apk 文件。"},
    CodeHint{"INSTALL_PARSE_FAILED_BAD_MANIFEST", "安装包里的清单文件无法读取，安装包可能已损坏。请重新下载。"},
    CodeHint{"INSTALL_PARSE_FAILED_UNEXPECTED_EXCEPTION", "WSA 读取安装包时出错，安装包可能已损坏。请重新下载。"},
    CodeHint{"INSTALL_PARSE_FAILED_NO_CERTIFICATES",
             "安装包没有有效的签名（未签名，或只有旧式签名）。请找一个正确签名的安装包。"},
    CodeHint{"INSTALL_PARSE_FAILED_INCONSISTENT_CERTIFICATES",
             "安装包里的文件签名不一致，安装包可能被改过或已损坏。请重新下载。"},
    CodeHint{"INSTALL_PARSE_FAILED_MANIFEST_MALFORMED", "安装包里的清单文件结构有误。请重新下载或换一个版本。"},
    CodeHint{"INSTALL_FAILED_INTERNAL_ERROR", "WSA 内部出错了。请重启 WSA 后再安装一次。"},
    CodeHint{"INSTALL_FAILED_USER_RESTRICTED",
             "WSA 不允许通过调试安装应用。请在 WSA 的开发者选项里允许通过 USB 安装应用后再试。"},
    CodeHint{"INSTALL_FAILED_DUPLICATE_PERMISSION", "这个应用定义的权限已被 WSA 里另一个应用占用。请先卸载那个应用。"},
    CodeHint{
        "INSTALL_FAILED_NO_MATCHING_ABIS",
        "这个安装包没有适合 WSA 处理器架构的原生代码。请下载适合 x86_64 或 arm64 的版本，或包含全部架构分包的安装包。"},
    CodeHint{"INSTALL_FAILED_ABORTED",
             "安装被中止了（可能在 WSA 里被拒绝）。请再安装一次，并在 WSA 弹出的提示里允许。"},
    CodeHint{"INSTALL_FAILED_SESSION_INVALID",
             "这次安装的方式和安装包不兼容。请再安装一次；仍不行时换一个安装包版本。"},
    CodeHint{"INSTALL_FAILED_BAD_SIGNATURE", "安装包的签名有问题。请重新下载。"},
    CodeHint{"INSTALL_PARSE_FAILED_RESOURCES_ARSC_COMPRESSED",
             "这个安装包被不正确地重新打包过（资源文件被压缩）。请下载原始的安装包。"},
};

std::string Hint(std::string_view text) {
    return "提示：" + std::string(text);
}

bool IsLoopbackHost(std::string_view host) {
    return host == "localhost" || host.starts_with("127.");
}

// "cannot connect to HOST:PORT: ..." (ours, the makers') or "failed to connect to 'HOST:PORT': ..."
// (older clients) names the address the client tried.
std::string_view ConnectTarget(std::string_view log) {
    for (const std::string_view lead :
         {std::string_view("cannot connect to "), std::string_view("failed to connect to '")}) {
        const size_t at = log.find(lead);
        if (at == std::string_view::npos) {
            continue;
        }
        const std::string_view rest = log.substr(at + lead.size());
        const size_t end = rest.find(lead.back() == '\'' ? "'" : ": ");
        if (end != std::string_view::npos) {
            return rest.substr(0, end);
        }
    }
    return {};
}

// Refused: Winsock's code as the clients print it, or the words of a client that prints none.
bool SaysRefused(std::string_view log) {
    return Contains(log, "(10061)") || Contains(log, "Connection refused") || Contains(log, "积极拒绝") ||
           Contains(log, "连接被拒绝");
}

std::string_view HostOf(std::string_view target) {
    const size_t colon = target.rfind(':');
    return colon == std::string_view::npos ? target : target.substr(0, colon);
}

std::string PortOf(std::string_view target, std::string_view fallback) {
    const size_t colon = target.rfind(':');
    if (colon == std::string_view::npos || colon + 1 == target.size()) {
        return std::string(fallback.empty() ? "58526" : fallback);
    }
    return std::string(target.substr(colon + 1));
}

std::string RefusedHint(std::string_view log, const HintContext& context) {
    const std::string port = PortOf(ConnectTarget(log), context.port);
    return Hint(
        "连接被拒绝：这个地址上没有程序在等待连接。请先启动 WSA（打开任意一个安卓应用，或打开“适用于 Android 的 "
        "Windows 子系统设置”），并在它的“高级设置”里打开“开发人员模式”，然后再安装。"
        "如果 WSA 已在运行、开发人员模式也已打开，端口 " +
        port +
        " 可能被系统保留了（Hyper-V 会占用一些端口）。请以管理员身份打开命令提示符，用 netsh interface ipv4 show "
        "excludedportrange protocol=tcp 查看保留的端口；若其中包含 " +
        port +
        "，先关闭 WSA，执行 dism.exe /Online /Disable-Feature:Microsoft-Hyper-V 并重启电脑，再执行 netsh int ipv4 add "
        "excludedportrange protocol=tcp startport=" +
        port +
        " numberofports=1 保留这个端口，然后执行 dism.exe /Online /Enable-Feature:Microsoft-Hyper-V /All 并重启电脑。");
}

std::string FailureHint(std::string_view code, const HintContext& context) {
    for (const CodeHint& hint : kCodeHints) {
        if (hint.code == code) {
            std::string text = "安装被 WSA 拒绝（" + std::string(code) + "）：" + std::string(hint.text);
            if (code == "INSTALL_FAILED_OLDER_SDK" && context.minSdk) {
                text += "这个应用至少需要安卓 API " + std::to_string(*context.minSdk) + "。";
            }
            if (code == "INSTALL_FAILED_VERSION_DOWNGRADE" && (!context.versionName.empty() || context.versionCode)) {
                text += "要安装的版本是 " + (context.versionName.empty() ? std::string("?") : context.versionName);
                if (context.versionCode) {
                    text += "（版本号 " + std::to_string(*context.versionCode) + "）";
                }
                text += "。";
            }
            return Hint(text);
        }
    }
    return Hint("安装被 WSA 拒绝，原因代码是 " + std::string(code) +
                "。上面的输出里有 WSA 给出的原因；请按它处理，或换一个安装包版本再试。");
}

// The client could not read a package: it names the package (masked as <package>) beside the system's
// words, or says it failed to stat a file, which it does only for the packages it is given. A missing file
// of its own (its key folder, say) is another matter.
bool SaysPackageUnreadable(std::string_view log) {
    if (Contains(log, "failed to stat") || Contains(log, "cannot stat")) {
        return true;
    }
    while (!log.empty()) {
        const size_t end = log.find('\n');
        const std::string_view line = log.substr(0, end);
        if (Contains(line, "<package>") && (Contains(line, "No such file") || Contains(line, "cannot open"))) {
            return true;
        }
        log.remove_prefix(end == std::string_view::npos ? log.size() : end + 1);
    }
    return false;
}

}  // namespace

std::optional<std::string> FailureCode(std::string_view log) {
    const size_t start = FailureStart(log);
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = log.substr(start + std::string_view("Failure [").size());
    size_t length = 0;
    while (length < rest.size() && length < 100 &&
           (std::isupper(static_cast<unsigned char>(rest[length])) ||
            std::isdigit(static_cast<unsigned char>(rest[length])) || rest[length] == '_' || rest[length] == '-')) {
        ++length;
    }
    if (length == 0) {
        return std::nullopt;
    }
    return std::string(rest.substr(0, length));
}

bool RefusedOnLoopback(std::string_view connectOutput, std::string_view host) {
    if (!SaysRefused(connectOutput)) {
        return false;
    }
    const std::string_view target = ConnectTarget(connectOutput);
    return IsLoopbackHost(target.empty() ? host : HostOf(target));
}

std::string InstallHint(std::string_view clientLog, const HintContext& context) {
    // The package's own path is no part of any message: a folder named "unauthorized" or
    // "Failure [1]" must not look like one.
    std::string cleaned(clientLog);
    if (!context.packagePath.empty()) {
        constexpr std::string_view kPlaceholder = "<package>";
        for (size_t at = 0; (at = cleaned.find(context.packagePath, at)) != std::string::npos;
             at += kPlaceholder.size()) {
            cleaned.replace(at, context.packagePath.size(), kPlaceholder);
        }
    }
    const std::string_view log = cleaned;
    // The interpreter found no client: the program could not write its tools.
    if (Contains(log, "内部或外部命令") || Contains(log, "internal or external command")) {
        return Hint(
            "找不到 adb.exe：程序没能把它的 ADB "
            "工具写进自己所在的文件夹（那里可能不允许写入）。请把本程序移到一个你能写入的"
            "文件夹（例如“文档”或桌面）里再运行。");
    }
    if (context.packagePath.empty()) {
        return Hint("安装包路径是空的。请先点“选择”挑一个安装包，或在路径框里填好安装包的完整路径。");
    }
    if (SaysPackageUnreadable(log)) {
        return Hint("读不到安装包“" + context.packagePath + "”：文件不存在或不能读取。请确认路径正确、文件还在那里。");
    }
    if (RefusedOnLoopback(log, context.host)) {
        return RefusedHint(log, context);
    }
    if (SaysRefused(log)) {
        return Hint("连接被拒绝：这个地址上没有程序在等待连接。请检查 IP 地址和端口是否正确，以及对方是否已打开调试。");
    }
    if (Contains(log, "(10060)") || Contains(log, "(10065)") || Contains(log, "(10051)") ||
        Contains(log, "failed to connect to")) {
        return Hint("连接没有回应。请检查 IP 地址和端口是否正确（WSA 是 127.0.0.1 和 58526），以及 WSA 是否在运行。");
    }
    if (Contains(log, "failed to authenticate") || Contains(log, "unauthorized")) {
        return Hint(
            "WSA 还没有允许这台电脑调试。请在 WSA 弹出的“允许 USB 调试吗？”提示里勾选“一律允许使用这台计算机进行调试”，"
            "点“允许”，然后再安装一次。如果没有看到提示，请在 WSA 的开发者选项里关闭再打开 USB 调试。");
    }
    if (const std::optional<std::string> code = FailureCode(log)) {
        return FailureHint(*code, context);
    }
    if (Contains(log, "more than one device")) {
        return Hint("同时连着不止一个安卓设备或模拟器。请断开其他设备或关闭其他模拟器，然后再安装。");
    }
    if (Contains(log, "no devices/emulators found") || Contains(log, "device offline") ||
        (Contains(log, "device '") && Contains(log, "' not found"))) {
        return Hint(
            "没有连上 WSA。请确认 WSA 正在运行、开发人员模式已打开，IP 地址和端口正确（127.0.0.1 和 "
            "58526），然后再安装。");
    }
    return Hint("安装没有成功。上面是 ADB 工具的原话；请确认 WSA 正在运行、开发人员模式已打开，然后再安装一次。");
}
