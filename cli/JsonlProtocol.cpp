#include "JsonlProtocol.h"

#include "FlatJson.h"
#include "JsonText.h"
#include "quote/ParcelQuote.h"
#include "quote/PostalQuote.h"
#include "quote/QuoteCat.h"
#include "quote/QuotePostal.h"
#include "quote/QuoteYoupack.h"
#include "selection/OptionTable.h"
#include "text/ConversionError.h"

#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <vector>

namespace hakomaru::cli {
namespace {

using Json = nlohmann::json;

// A line that is not a well-formed request; the message is the short reason.
class InvalidRequest : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A name from the request as a message shows it: a JSON string, so that a
// control character (a NUL above all, which would end the message) shows
// escaped.
std::string quotedName(std::string_view name) {
    std::string quoted;
    appendJsonString(quoted, name);
    return quoted;
}

// One member of the request object as the parser met it. Nested objects,
// arrays and null are kept only as "some other value".
struct Member {
    enum class Kind { Boolean, Integer, Unsigned, Float, String, Other };
    std::string key;
    Kind kind = Kind::Other;
    bool boolean = false;
    std::int64_t integer = 0;
    std::uint64_t unsignedInteger = 0;
    std::string text;
};

// Reads a request line into its top-level members without building a
// document: requests are flat, and a batch holds many of them.
class RequestReader final : public nlohmann::json_sax<Json> {
  public:
    // Parses one line; false when it is not valid JSON (see errorByte()).
    bool read(std::string_view line) {
        depth_ = 0;
        count_ = 0;
        keyPending_ = false;
        isObject_ = false;
        errorByte_ = 0;
        if (readFlat(line))
            return true;
        // The general parser takes a NUL byte for the end of the text, and
        // would answer the line before it. JSON has no place for a raw NUL.
        if (const size_t nul = line.find('\0'); nul != std::string_view::npos) {
            errorByte_ = nul + 1;
            return false;
        }
        return Json::sax_parse(line.begin(), line.end(), this);
    }
    bool isObject() const { return isObject_; }
    size_t errorByte() const { return errorByte_; }
    size_t count() const { return count_; }
    const Member& member(size_t i) const { return members_[i]; }
    // One mark per member, for RequestMembers; kept here to be reused.
    std::vector<char>& marks() const { return marks_; }

    // The member of that name; the last one when a name occurs twice.
    const Member* find(std::string_view name) const {
        for (size_t i = count_; i > 0; --i)
            if (members_[i - 1].key == name)
                return &members_[i - 1];
        return nullptr;
    }

    bool null() override { return scalar(Member::Kind::Other); }
    bool boolean(bool value) override {
        if (Member* m = topMember(Member::Kind::Boolean))
            m->boolean = value;
        return true;
    }
    bool number_integer(number_integer_t value) override {
        if (Member* m = topMember(Member::Kind::Integer))
            m->integer = value;
        return true;
    }
    bool number_unsigned(number_unsigned_t value) override {
        if (Member* m = topMember(Member::Kind::Unsigned))
            m->unsignedInteger = value;
        return true;
    }
    bool number_float(number_float_t, const string_t&) override {
        return scalar(Member::Kind::Float);
    }
    bool string(string_t& value) override {
        if (Member* m = topMember(Member::Kind::String))
            m->text.swap(value);
        return true;
    }
    bool binary(binary_t&) override { return scalar(Member::Kind::Other); }
    bool start_object(std::size_t) override {
        if (depth_ == 0)
            isObject_ = true;
        else
            topMember(Member::Kind::Other);
        ++depth_;
        return true;
    }
    bool key(string_t& name) override {
        if (depth_ == 1) {
            if (count_ == members_.size())
                members_.emplace_back();
            members_[count_].key.swap(name);
            keyPending_ = true;
        }
        return true;
    }
    bool end_object() override {
        --depth_;
        return true;
    }
    bool start_array(std::size_t) override {
        topMember(Member::Kind::Other);
        ++depth_;
        return true;
    }
    bool end_array() override {
        --depth_;
        return true;
    }
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception&) override {
        errorByte_ = position;
        return false;
    }

  private:
    // The common flat request, read without the general parser.
    bool readFlat(std::string_view line) {
        size_t flatCount = 0;
        if (!readFlatObject(line, flat_, flatCount))
            return false;
        isObject_ = true;
        for (size_t i = 0; i < flatCount; ++i) {
            if (count_ == members_.size())
                members_.emplace_back();
            Member& m = members_[count_++];
            FlatMember& f = flat_[i];
            m.key.swap(f.key);
            m.text.swap(f.text);
            m.boolean = f.boolean;
            m.integer = f.integer;
            m.unsignedInteger = f.unsignedInteger;
            switch (f.kind) {
            case FlatMember::Kind::Boolean:
                m.kind = Member::Kind::Boolean;
                break;
            case FlatMember::Kind::Integer:
                m.kind = Member::Kind::Integer;
                break;
            case FlatMember::Kind::Unsigned:
                m.kind = Member::Kind::Unsigned;
                break;
            case FlatMember::Kind::String:
                m.kind = Member::Kind::String;
                break;
            }
        }
        return true;
    }

    bool scalar(Member::Kind kind) {
        topMember(kind);
        return true;
    }
    // The member that a value at the current depth completes, if it is a
    // member of the top-level object.
    Member* topMember(Member::Kind kind) {
        if (depth_ != 1 || !keyPending_)
            return nullptr;
        keyPending_ = false;
        Member& m = members_[count_++];
        m.kind = kind;
        return &m;
    }

    std::vector<Member> members_;  // reused from line to line
    std::vector<FlatMember> flat_; // the fast reader's members, reused likewise
    mutable std::vector<char> marks_;
    size_t count_ = 0;
    int depth_ = 0;
    bool keyPending_ = false;
    bool isObject_ = false;
    size_t errorByte_ = 0;
};

// The members of one request object, read by record name with their type
// checked. Absent members give the record's default; a member nobody asks
// for is refused by refuseUnread(), so that a misspelt name is not quietly
// priced as if it were absent.
class RequestMembers {
  public:
    explicit RequestMembers(const RequestReader& reader) : reader_(reader), read_(reader.marks()) {
        read_.assign(reader.count(), 0);
    }

    // Throws InvalidRequest naming the first member no read asked for; the
    // member "quote" names the kind and is always known.
    void refuseUnread(const std::string& kind) const {
        for (size_t i = 0; i < read_.size(); ++i) {
            const std::string& key = reader_.member(i).key;
            if (!read_[i] && key != "quote")
                throw InvalidRequest("unknown member " + quotedName(key) + " for quote " +
                                     quotedName(kind));
        }
    }

    int integer(const char* name, int fallback = 0) const {
        const Member* m = find(name);
        if (!m)
            return fallback;
        constexpr auto kMin = std::numeric_limits<int>::min();
        constexpr auto kMax = std::numeric_limits<int>::max();
        // 3.0 and 1e3 are floating point: a row number is exact or it is
        // not a row number. Integers beyond 64 bits arrive as floating point
        // too and are refused the same way.
        switch (m->kind) {
        case Member::Kind::Unsigned:
            if (m->unsignedInteger > static_cast<std::uint64_t>(kMax))
                throw InvalidRequest(std::string(name) + " is out of range");
            return static_cast<int>(m->unsignedInteger);
        case Member::Kind::Integer:
            if (m->integer < kMin || m->integer > kMax)
                throw InvalidRequest(std::string(name) + " is out of range");
            return static_cast<int>(m->integer);
        default:
            throw InvalidRequest(std::string(name) + " is not an integer");
        }
    }

    bool boolean(std::string_view name) const {
        const Member* m = find(name);
        if (!m)
            return false;
        if (m->kind != Member::Kind::Boolean)
            throw InvalidRequest(std::string(name) + " is not a boolean");
        return m->boolean;
    }

    std::string text(const char* name) const {
        const Member* m = find(name);
        if (!m)
            return {};
        if (m->kind != Member::Kind::String)
            throw InvalidRequest(std::string(name) + " is not a string");
        return m->text;
    }

  private:
    // The member of that name, marking every member of that name as read.
    const Member* find(std::string_view name) const {
        const Member* found = nullptr;
        for (size_t i = 0; i < read_.size(); ++i)
            if (reader_.member(i).key == name) {
                read_[i] = 1;
                found = &reader_.member(i);
            }
        return found;
    }

    const RequestReader& reader_;
    std::vector<char>& read_; // whether each member was asked for
};

TYoupackRequest youpackRequest(const RequestMembers& m) {
    TYoupackRequest r;
    r.FromCaption = m.text("FromCaption");
    r.ToRow = m.integer("ToRow");
    r.WeightRow = m.integer("WeightRow");
    for (const ParcelOptionRow& row : parcelOptions())
        if (row.youpack)
            r.*row.youpack = m.boolean(row.names.json);
    r.DaihikiText = m.text("DaihikiText");
    r.SokinNo = m.integer("SokinNo", 8);
    return r;
}

TCatRequest catRequest(const RequestMembers& m) {
    TCatRequest r;
    r.FromRow = m.integer("FromRow");
    r.ToRow = m.integer("ToRow");
    r.WeightRow = m.integer("WeightRow");
    r.SizeRow = m.integer("SizeRow");
    for (const ParcelOptionRow& row : parcelOptions())
        if (row.cat)
            r.*row.cat = m.boolean(row.names.json);
    r.DaihikiText = m.text("DaihikiText");
    r.FukusuText = m.text("FukusuText");
    return r;
}

TLetterMailRequest letterRequest(const RequestMembers& m) {
    TLetterMailRequest r;
    r.WeightRow = m.integer("WeightRow");
    for (const LetterOptionRow& row : letterOptions())
        r.*row.field = m.boolean(row.names.json);
    r.DaihikiText = m.text("DaihikiText");
    r.SokinNo = m.integer("SokinNo", 8);
    return r;
}

TBookParcelRequest bookRequest(const RequestMembers& m) {
    TBookParcelRequest r;
    r.WeightRow = m.integer("WeightRow");
    for (const BookOptionRow& row : bookOptions())
        r.*row.field = m.boolean(row.names.json);
    r.DaihikiText = m.text("DaihikiText");
    r.SokinNo = m.integer("SokinNo", 8);
    return r;
}

std::string parcelAnswer(const TParcelQuote& quote, std::string_view caption) {
    // Not handled carries no amount and no detail.
    return JsonObjectWriter()
        .number("Total", quote.NotHandled ? 0 : quote.Total)
        .text("Detail", quote.NotHandled ? std::string_view() : quote.Detail)
        .text("Caption", caption)
        .flag("NotHandled", quote.NotHandled)
        .take();
}

const char* stateName(PostalState state) {
    switch (state) {
    case PostalState::Quoted:
        return "Quoted";
    case PostalState::NoQuote:
        return "NoQuote";
    case PostalState::NotAvailable:
        return "NotAvailable";
    }
    return "NoQuote";
}

std::string postalAnswer(const TPostalQuote& quote) {
    const bool quoted = quote.State == PostalState::Quoted;
    return JsonObjectWriter()
        .text("State", stateName(quote.State))
        .number("Total", quoted ? quote.Total : 0)
        .text("Detail", quoted ? std::string_view(quote.Detail) : std::string_view())
        .take();
}

std::string tooLongReason() {
    return "line longer than " + std::to_string(kMaxRequestLine) + " bytes";
}

std::string errorAnswer(const ConversionError& error) {
    return JsonObjectWriter().text("Error", error.what()).take();
}

// The answer to a request that is valid JSON; throws InvalidRequest. Sets
// `failed` when the answer is an Error.
std::string answerRequest(const IniStore& tariff, const RequestReader& request, bool& failed) {
    if (!request.isObject())
        throw InvalidRequest("not a JSON object");
    const Member* kind = request.find("quote");
    if (!kind)
        throw InvalidRequest("missing \"quote\"");
    if (kind->kind != Member::Kind::String)
        throw InvalidRequest("\"quote\" is not a string");
    const std::string& name = kind->text;
    const RequestMembers members(request);

    if (name == "youpack") {
        const TYoupackRequest r = youpackRequest(members);
        members.refuseUnread(name);
        try {
            const TParcelQuote quote = QuoteYoupack(tariff, r);
            return parcelAnswer(quote, quote.Caption);
        } catch (const ConversionError& error) {
            failed = true;
            // The caption needs only the zone table, so it is known even
            // when the fee cannot be read.
            return JsonObjectWriter()
                .text("Error", error.what())
                .text("Caption", YoupackCaption(tariff, r.FromCaption, r.ToRow))
                .take();
        }
    }
    if (name == "cat") {
        const TCatRequest r = catRequest(members);
        members.refuseUnread(name);
        try {
            return parcelAnswer(QuoteCat(tariff, r), "");
        } catch (const ConversionError& error) {
            failed = true;
            return errorAnswer(error);
        }
    }
    if (name == "letter") {
        const TLetterMailRequest r = letterRequest(members);
        members.refuseUnread(name);
        try {
            return postalAnswer(QuoteLetterMail(tariff, r));
        } catch (const ConversionError& error) {
            failed = true;
            return errorAnswer(error);
        }
    }
    if (name == "book") {
        const TBookParcelRequest r = bookRequest(members);
        members.refuseUnread(name);
        try {
            return postalAnswer(QuoteBookParcel(tariff, r));
        } catch (const ConversionError& error) {
            failed = true;
            return errorAnswer(error);
        }
    }
    throw InvalidRequest("unknown quote " + quotedName(name));
}

} // namespace

JsonlAnswer answerRequestLine(const IniStore& tariff, std::string_view line) {
    // One reader per thread, so that its buffers serve every line of a batch.
    thread_local RequestReader request;
    try {
        if (line.size() > kMaxRequestLine)
            throw InvalidRequest(tooLongReason());
        if (!request.read(line))
            throw InvalidRequest("not valid JSON at byte " + std::to_string(request.errorByte()));
        bool failed = false;
        std::string answer = answerRequest(tariff, request, failed);
        return {std::move(answer), true, !failed};
    } catch (const InvalidRequest& invalid) {
        return {JsonObjectWriter().text("InvalidRequest", invalid.what()).take(), false, false};
    }
}

JsonlAnswer tooLongAnswer() {
    return {JsonObjectWriter().text("InvalidRequest", tooLongReason()).take(), false, false};
}

} // namespace hakomaru::cli
