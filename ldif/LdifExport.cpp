#include "LdifExport.h"

#include "LdifWriter.h"
#include "directory/ClientBuffer.h"
#include "directory/NameRules.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <ostream>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace ldifexport {
namespace {

constexpr std::string_view kObjectClass = "Object Class";
constexpr std::size_t kFlushBytes = 1 << 16;

struct FoundAttribute {
    std::string name;
    std::uint32_t syntax = 0;
    std::vector<std::string> values; // text forms; a stream's content is read when written
};

// One object as a search gives it, its attributes gathered over as many passes as it spans.
struct FoundObject {
    std::string name;
    std::string baseClass;
    std::vector<FoundAttribute> attributes;
};

// A name's key: its text with ASCII case ignored, as the directory compares names, hashed
// (FNV-1a); names are many and keys are kept for each.
using NameKey = std::uint64_t;
NameKey keyOf(std::string_view name) {
    NameKey h = 0xCBF29CE484222325ull;
    for (char c : name) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    }
    return h;
}

// The container's part of a full name: after the first unescaped ".", or "[Root]".
std::string_view containerOf(std::string_view name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\')
            ++i;
        else if (name[i] == '.')
            return name.substr(i + 1);
    }
    return ROOT_NAME;
}

bool isBinarySyntax(std::uint32_t syntax) {
    return syntax == SYN_OCTET_STRING || syntax >= SYNTAX_COUNT;
}

// The records in the file's order: a record waits until its container is written, unless the
// container is the export's top or [Root]; at the end, what still waits is written shallowest
// first (a search's results need not hold their containers).
class RecordOrder {
public:
    explicit RecordOrder(std::ostream& out) : out_(out) {}

    void setTop(std::string_view name) { top_ = keyOf(name); }

    void add(std::string_view name, std::string text) {
        const NameKey key = keyOf(name);
        const std::string_view container = containerOf(name);
        const NameKey parent = keyOf(container);
        if (key == top_ || isRootName(name) || isRootName(container) || written_.count(parent)) {
            emit(key, std::move(text));
            return;
        }
        waiting_[parent].push_back({key, std::move(text), splitEscapedName(name).size()});
    }

    // Writes what still waits; false when the stream failed.
    bool finish() {
        std::vector<Waiting> rest;
        for (auto& [parent, list] : waiting_) {
            for (auto& w : list)
                rest.push_back(std::move(w));
        }
        waiting_.clear();
        std::stable_sort(rest.begin(), rest.end(),
                         [](const Waiting& a, const Waiting& b) { return a.depth < b.depth; });
        for (auto& w : rest) {
            if (written_.count(w.key) == 0)
                emit(w.key, std::move(w.text));
        }
        flush();
        return bool(out_);
    }

    bool healthy() const { return bool(out_); }

private:
    struct Waiting {
        NameKey key = 0;
        std::string text;
        std::size_t depth = 0;
    };

    void emit(NameKey key, std::string text) {
        buffer_.append(text);
        written_.insert(key);
        // What waited for this container, and what waited for those in turn.
        if (!waiting_.empty()) {
            std::vector<NameKey> released{key};
            while (!released.empty()) {
                auto it = waiting_.find(released.back());
                released.pop_back();
                if (it == waiting_.end())
                    continue;
                std::vector<Waiting> list = std::move(it->second);
                waiting_.erase(it);
                for (auto& w : list) {
                    buffer_.append(w.text);
                    written_.insert(w.key);
                    released.push_back(w.key);
                }
            }
        }
        if (buffer_.size() >= kFlushBytes)
            flush();
    }

    void flush() {
        out_.write(buffer_.data(), std::streamsize(buffer_.size()));
        buffer_.clear();
    }

    std::ostream& out_;
    std::string buffer_;
    NameKey top_ = 0;
    std::unordered_set<NameKey> written_;
    std::unordered_map<NameKey, std::vector<Waiting>> waiting_;
};

class Exporter {
public:
    Exporter(DirectoryClient& client, NWDSContextHandle context, std::ostream& out)
        : client_(client), ctx_(context), order_(out) {}

    CallFailure run(const Selection& selection, const Progress& progress, Result& result) {
        std::string top;
        if (auto f = topOf(selection.base, top))
            return f;
        order_.setTop(top);

        ClientBuffer filter(client_);
        if (selection.filter) {
            if (auto f = filterRequest(selection, filter))
                return f;
        }
        ClientBuffer reply(client_);
        if (auto rc = reply.allocate(); rc != 0)
            return {"NWDSAllocBuf", rc};
        FoundObject current;
        std::int32_t iteration = NO_MORE_ITERATIONS;
        do {
            std::int32_t searched = 0;
            if (auto rc = client_.NWDSSearch(ctx_, selection.base.c_str(), selection.scope, false,
                                             filter.get(), DS_ATTRIBUTE_VALUES, true, nullptr,
                                             &iteration, 0, &searched, reply.get());
                rc != 0)
                return {"NWDSSearch", rc};
            if (auto f = takeReply(reply.get(), current, result))
                return f;
            if (progress && !progress(result.objects)) {
                result.cancelled = true;
                return {};
            }
        } while (iteration != NO_MORE_ITERATIONS);
        if (!current.name.empty()) {
            if (auto f = writeObject(current))
                return f;
            ++result.objects;
        }
        if (!order_.finish())
            result.fileProblem = "cannot be written";
        return {};
    }

    bool healthy() const { return order_.healthy(); }

private:
    // The full name of the base as the search names what it finds.
    CallFailure topOf(const std::string& base, std::string& top) {
        char name[MAX_DN_BYTES] = {};
        Object_Info_T info{};
        if (auto rc = client_.NWDSReadObjectInfo(ctx_, base.c_str(), name, sizeof name, &info);
            rc != 0)
            return {"NWDSReadObjectInfo", rc};
        top = name;
        return {};
    }

    CallFailure filterRequest(const Selection& selection, ClientBuffer& request) {
        Filter_Cursor_T* cursor = nullptr;
        if (auto rc = client_.NWDSAllocFilter(&cursor); rc != 0)
            return {"NWDSAllocFilter", rc};
        auto release = [&] { client_.NWDSFreeFilter(cursor, nullptr); };
        if (auto rc = selection.filter(client_, cursor); rc != 0) {
            release();
            return {"NWDSAddFilterToken", rc};
        }
        if (auto rc = request.allocate(); rc != 0) {
            release();
            return {"NWDSAllocBuf", rc};
        }
        if (auto rc = client_.NWDSInitBuf(ctx_, DSV_SEARCH_FILTER, request.get()); rc != 0) {
            release();
            return {"NWDSInitBuf", rc};
        }
        if (auto rc = client_.NWDSPutFilter(ctx_, request.get(), cursor, nullptr); rc != 0) {
            release();
            return {"NWDSPutFilter", rc};
        }
        return {};
    }

    // The objects of one reply; the last one may go on in the next.
    CallFailure takeReply(Buf_T* reply, FoundObject& current, Result& result) {
        std::uint32_t count = 0;
        if (auto rc = client_.NWDSGetObjectCount(ctx_, reply, &count); rc != 0)
            return {"NWDSGetObjectCount", rc};
        for (std::uint32_t o = 0; o < count; ++o) {
            char name[MAX_DN_BYTES] = {};
            std::uint32_t attrCount = 0;
            Object_Info_T info{};
            if (auto rc =
                    client_.NWDSGetObjectName(ctx_, reply, name, sizeof name, &attrCount, &info);
                rc != 0)
                return {"NWDSGetObjectName", rc};
            if (current.name != name) {
                if (!current.name.empty()) {
                    if (auto f = writeObject(current))
                        return f;
                    ++result.objects;
                }
                current = FoundObject{};
                current.name = name;
                info.baseClass[sizeof info.baseClass - 1] = '\0';
                current.baseClass = info.baseClass;
            }
            for (std::uint32_t a = 0; a < attrCount; ++a) {
                if (auto f = takeAttribute(reply, current))
                    return f;
            }
        }
        return {};
    }

    CallFailure takeAttribute(Buf_T* reply, FoundObject& object) {
        char name[MAX_SCHEMA_NAME_BYTES] = {};
        std::uint32_t valueCount = 0;
        std::uint32_t syntax = 0;
        if (auto rc = client_.NWDSGetAttrName(ctx_, reply, name, sizeof name, &valueCount, &syntax);
            rc != 0)
            return {"NWDSGetAttrName", rc};
        // An attribute continued from the pass before is the last one taken.
        if (object.attributes.empty() || object.attributes.back().name != name)
            object.attributes.push_back({name, syntax, {}});
        FoundAttribute& attribute = object.attributes.back();
        // A stream's content is read when the object is written; the classes are the
        // object's class and those above it, written as the class alone. Values not taken are
        // passed over by the next get.
        if (syntax == SYN_STREAM || attribute.name == kObjectClass)
            return {};
        for (std::uint32_t v = 0; v < valueCount; ++v) {
            std::string text;
            if (auto rc = client_.getAttrValText(ctx_, reply, syntax, text); rc != 0)
                return {"getAttrValText", rc};
            attribute.values.push_back(std::move(text));
        }
        return {};
    }

    CallFailure writeObject(const FoundObject& object) {
        std::string text, dn;
        if (auto rc = client_.nameToText(ctx_, NamedItem::Object, object.name.c_str(), dn); rc != 0)
            return {"nameToText", rc};
        ldif::appendLine(text, "dn", dn);
        const std::string* cls = nullptr;
        if (auto f = schemaText(NamedItem::Class, object.baseClass, cls))
            return f;
        ldif::appendLine(text, "objectClass", *cls);
        for (const FoundAttribute& a : object.attributes) {
            if (a.name == kObjectClass)
                continue; // the class and those above it
            const std::string* ldapName = nullptr;
            if (auto f = schemaText(NamedItem::Attribute, a.name, ldapName))
                return f;
            if (a.syntax == SYN_STREAM) {
                std::string content;
                if (auto f = streamContent(object.name, a.name, content))
                    return f;
                ldif::appendLine(text, *ldapName, content);
                continue;
            }
            for (const std::string& value : a.values)
                ldif::appendLine(text, *ldapName, value, isBinarySyntax(a.syntax));
        }
        text.push_back('\n');
        order_.add(object.name, std::move(text));
        return {};
    }

    // The LDAP name of a class or an attribute, asked once.
    CallFailure schemaText(NamedItem item, const std::string& name, const std::string*& out) {
        auto& known = item == NamedItem::Class ? classes_ : attributes_;
        auto it = known.find(name);
        if (it == known.end()) {
            std::string text;
            if (auto rc = client_.nameToText(ctx_, item, name.c_str(), text); rc != 0)
                return {"nameToText", rc};
            it = known.emplace(name, std::move(text)).first;
        }
        out = &it->second;
        return {};
    }

    CallFailure streamContent(const std::string& object, const std::string& attribute,
                              std::string& content) {
        NWFILE_HANDLE handle = -1;
        if (auto rc = client_.NWDSOpenStream(ctx_, object.c_str(), attribute.c_str(),
                                             DS_READ_STREAM, &handle);
            rc != 0)
            return {"NWDSOpenStream", rc};
        char chunk[4096];
        for (;;) {
            const ssize_t got = ::read(handle, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                ::close(handle);
                if (got < 0)
                    return {"read", ERR_SYSTEM_ERROR};
                return {};
            }
            content.append(chunk, std::size_t(got));
        }
    }

    DirectoryClient& client_;
    NWDSContextHandle ctx_;
    RecordOrder order_;
    std::unordered_map<std::string, std::string> classes_, attributes_;
};

} // namespace

Result write(DirectoryClient& client, NWDSContextHandle pageContext, const Selection& selection,
             std::ostream& out, const Progress& progress) {
    Result result;
    TransferContext context(client);
    if (auto f = context.open(pageContext, true)) {
        result.failure = f;
        return result;
    }
    out << "version: 1\n\n";
    Exporter exporter(client, context.handle(), out);
    result.failure = exporter.run(selection, progress, result);
    if (result.fileProblem.empty() && !exporter.healthy())
        result.fileProblem = "cannot be written";
    return result;
}

Result writeFile(DirectoryClient& client, NWDSContextHandle pageContext, const Selection& selection,
                 const std::string& path, const Progress& progress) {
    const std::string part = path + ".part";
    Result result;
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        if (!out) {
            result.fileProblem = "cannot be written: " + std::string(std::strerror(errno));
            return result;
        }
        result = write(client, pageContext, selection, out, progress);
        out.flush();
        if (result.fileProblem.empty() && !out)
            result.fileProblem = "cannot be written";
    }
    if (!result.ok() || std::rename(part.c_str(), path.c_str()) != 0) {
        if (result.ok())
            result.fileProblem = "cannot be written: " + std::string(std::strerror(errno));
        std::remove(part.c_str());
    }
    return result;
}

} // namespace ldifexport
