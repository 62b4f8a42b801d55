#include "core/ipc/Protocol.h"

#include "core/base/Json.h"
#include "core/base/Utf8.h"

namespace cadro::ipc {

namespace {

// Only the status can be watched: a watch runs its command again on every
// change, so anything that changes the store would feed on itself.
bool isStatusWatch(const std::vector<std::string>& args) {
    return !args.empty() && args.front() == "status" && args.size() <= 2 &&
           (args.size() == 1 || args[1] == "--json");
}

}  // namespace

std::string encode(const Request& request) {
    json::Value out = json::Value::object();
    switch (request.type) {
        case Request::Type::command:
            out["type"] = "command";
            break;
        case Request::Type::watch:
            out["type"] = "watch";
            break;
        case Request::Type::stepAside:
            out["type"] = "stepAside";
            break;
        case Request::Type::show:
            out["type"] = "show";
            break;
    }
    if (!request.id.empty())
        out["id"] = request.id;
    if (request.type != Request::Type::stepAside)
        out["args"] = request.args;
    if (request.input)
        out["input"] = *request.input;
    // Arguments were checked for UTF-8 before; strict, so nothing is altered.
    return out.dump() + "\n";
}

std::string encode(const CommandLineResult& result) {
    json::Value out = json::Value::object();
    out["exit"] = result.exitCode;
    out["out"] = result.out;
    out["err"] = result.err;
    return out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::optional<Request> decodeRequest(std::string_view line) {
    if (line.size() > kMaxRequestBytes)
        return std::nullopt;
    try {
        json::Value value = json::parse(line);
        json::ObjectReader in(value, "request");
        Request request;
        std::string type = in.string("type");
        if (type == "command") {
            request.type = Request::Type::command;
        } else if (type == "watch") {
            request.type = Request::Type::watch;
        } else if (type == "show") {
            request.type = Request::Type::show;
        } else if (type == "stepAside") {
            request.type = Request::Type::stepAside;
            return request;
        } else {
            return std::nullopt;
        }
        request.id = in.optionalString("id").value_or("");
        if (request.id.size() > kMaxRequestIdBytes)
            return std::nullopt;
        for (const auto& arg : in.array("args")) {
            if (!arg.is_string())
                return std::nullopt;
            request.args.push_back(arg.get<std::string>());
        }
        request.input = in.optionalString("input");
        if (request.type == Request::Type::watch && !isStatusWatch(request.args))
            return std::nullopt;
        return request;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<CommandLineResult> decodeResult(std::string_view line) {
    if (line.size() > kMaxReplyBytes)
        return std::nullopt;
    try {
        json::Value value = json::parse(line);
        json::ObjectReader in(value, "reply");
        CommandLineResult result;
        auto exit = in.optionalInteger("exit").value_or(kExitOk);
        if (exit < 0 || exit > 255)
            return std::nullopt;
        result.exitCode = static_cast<int>(exit);
        result.out = in.optionalString("out").value_or("");
        result.err = in.optionalString("err").value_or("");
        return result;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace cadro::ipc
