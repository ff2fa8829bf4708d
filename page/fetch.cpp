#include "page/fetch.h"

#include <curl/curl.h>
#include <sys/socket.h>

#include <cmath>
#include <memory>

namespace {

struct Body {
    std::string bytes;
    std::size_t maxBytes = 0;
    bool tooLarge = false;
};

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* body = static_cast<Body*>(user);
    const std::size_t length = size * count;
    if (length > body->maxBytes - body->bytes.size()) {
        body->tooLarge = true;
        return CURL_WRITEFUNC_ERROR;  // stops the transfer
    }
    body->bytes.append(data, length);
    return length;
}

// What the connection checks of one transfer know: the policy, and the first address refused.
struct Connections {
    AddressPolicy policy = AddressPolicy::kAny;
    std::string refused;
};

// Opens the socket of each connection, after checking where it goes: libcurl calls it with the
// resolved address of every connection, redirects included, so that a name that resolves to a
// public address for the check and to another one for the connection cannot slip through.
curl_socket_t openSocket(void* user, curlsocktype purpose, curl_sockaddr* address) {
    auto* connections = static_cast<Connections*>(user);
    if (connections->policy == AddressPolicy::kPublicOnly) {
        const std::span<const unsigned char> bytes = AddressBytes(address->addr);
        const std::string_view network = purpose == CURLSOCKTYPE_IPCXN ? NonPublicNetwork(bytes) : "not an address";
        if (!network.empty()) {
            if (connections->refused.empty())
                connections->refused = AddressText(bytes) + " (" + std::string(network) + ")";
            return CURL_SOCKET_BAD;
        }
    }
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

// Stops the transfer once the batch is told to stop.
int checkCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* cancel = static_cast<const std::atomic<bool>*>(user);
    return cancel->load() ? 1 : 0;
}

std::string tooLargeMessage(std::size_t maxBytes) {
    return "too large: more than " + std::to_string(maxBytes) + " bytes";
}

std::string secondsText(double seconds) {
    std::string text = std::to_string(seconds);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

}  // namespace

bool IsWebAddress(std::string_view input) {
    auto startsWithIgnoringCase = [input](std::string_view prefix) {
        if (input.size() < prefix.size()) return false;
        for (std::size_t i = 0; i < prefix.size(); ++i) {
            char c = input[i];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            if (c != prefix[i]) return false;
        }
        return true;
    };
    return startsWithIgnoringCase("http://") || startsWithIgnoringCase("https://");
}

void InitFetching() {
    static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)done;
}

Fetched FetchWebAddress(const std::string& address, const FetchLimits& limits) {
    InitFetching();
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) return {{}, "cannot fetch: out of memory"};
    const double timeoutSeconds = limits.timeoutSeconds;
    const std::size_t maxBytes = limits.maxBytes;
    Body body;
    body.maxBytes = maxBytes;
    Connections connections{limits.addresses, {}};
    char message[CURL_ERROR_SIZE] = {};
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, address.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(std::ceil(timeoutSeconds * 1000)));
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);  // the timeout without signals, which threads cannot share
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes));
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(h, CURLOPT_USERAGENT, "sumoran-cli/" SUMORAN_VERSION);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, message);
    curl_easy_setopt(h, CURLOPT_OPENSOCKETFUNCTION, openSocket);
    curl_easy_setopt(h, CURLOPT_OPENSOCKETDATA, &connections);
    // A proxy would make the connection in our place, to an address never checked.
    if (limits.addresses == AddressPolicy::kPublicOnly) curl_easy_setopt(h, CURLOPT_PROXY, "");
    if (limits.cancel) {
        curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, checkCancel);
        curl_easy_setopt(h, CURLOPT_XFERINFODATA, limits.cancel);
        curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    }
    const CURLcode code = curl_easy_perform(h);
    if (body.tooLarge || code == CURLE_FILESIZE_EXCEEDED) return {{}, tooLargeMessage(maxBytes)};
    if (code != CURLE_OK && !connections.refused.empty()) return {{}, "address not public: " + connections.refused};
    switch (code) {
        case CURLE_OK:
            break;
        case CURLE_OPERATION_TIMEDOUT:
            return {{}, "timeout: no whole page within " + secondsText(timeoutSeconds) + " s"};
        case CURLE_TOO_MANY_REDIRECTS:
            return {{}, "more than " + std::to_string(kMaxRedirects) + " redirects"};
        case CURLE_UNSUPPORTED_PROTOCOL:
            return {{}, "a redirect to an address that is not http or https"};
        case CURLE_ABORTED_BY_CALLBACK:
            return {{}, "stopped"};
        default:
            return {{}, std::string("cannot fetch: ") + (message[0] ? message : curl_easy_strerror(code))};
    }
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) return {{}, "HTTP status " + std::to_string(status)};
    return {std::move(body.bytes), std::nullopt};
}
