#include "selection/Choices.h"

#include "selection/ParcelSelection.h"
#include "selection/PostalSelection.h"
#include "text/NumberText.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <utility>

namespace hakomaru {
namespace {

constexpr std::string_view kRegisteredByAmount = "（代引金額が5万円を超えると書留が付きます）";

template <typename Option> bool named(const std::vector<Option>& options, Option option) {
    return std::find(options.begin(), options.end(), option) != options.end();
}

// Walks the named options through one model and words its refusals. Keeps,
// for every box a step checked without the box being named, what checked
// it (the amount, or the rule of a named option), so that a refusal it
// causes can say so.
template <typename Option, size_t N> class Steps {
  public:
    using Checked = std::array<bool, N>;
    Steps(const std::vector<Option>& options, std::function<Checked()> checked)
        : options_(options), checked_(std::move(checked)) {}

    // Runs one step; `by` is the named option it clicked, none for the amount.
    template <typename Step> void run(std::optional<Option> by, Step step) {
        const Checked before = checked_();
        step();
        const Checked after = checked_();
        for (size_t i = 0; i < N; ++i)
            if (after[i] && !before[i] && static_cast<Option>(i) != by)
                causes_[i] = by ? Cause{false, *by} : Cause{true, {}};
    }

    // Why `refused` is disabled: the checked box that excludes it. The pair
    // is named in the windows' order of the boxes.
    std::optional<std::string> excluded(Option refused) const {
        const Checked now = checked_();
        std::optional<std::pair<Option, Option>> pair;
        std::optional<Option> by;
        for (Option other : excludedBy(refused)) {
            if (!now[static_cast<size_t>(other)])
                continue;
            const std::pair<Option, Option> candidate{std::min(refused, other),
                                                      std::max(refused, other)};
            if (!pair || candidate < *pair) {
                pair = candidate;
                by = other;
            }
        }
        if (!pair)
            return std::nullopt;
        std::string message = std::string(optionName(pair->first)) + " と " +
                              std::string(optionName(pair->second)) + " は一緒に選べません";
        if (const auto& cause = causes_[static_cast<size_t>(*by)]; cause && !named(options_, *by))
            message += cause->byAmount ? std::string(kRegisteredByAmount)
                                       : "（" + std::string(optionName(cause->option)) + "には" +
                                             std::string(optionName(*by)) + "が付きます）";
        return message;
    }

  private:
    struct Cause {
        bool byAmount;
        Option option;
    };
    const std::vector<Option>& options_;
    std::function<Checked()> checked_;
    std::array<std::optional<Cause>, N> causes_{};
};

template <size_t N, typename Model, typename Option> auto checkedOf(const Model& model) {
    return [&model] {
        std::array<bool, N> checked{};
        for (size_t i = 0; i < N; ++i)
            checked[i] = model.box(static_cast<Option>(i)).checked;
        return checked;
    };
}

// A text that is not a number is refused as the quotes would refuse it.
void requireNumber(const std::string& amount) {
    if (!amount.empty())
        toSingle(amount);
}

std::string notSelectable(std::string_view option) {
    return std::string(option) + " は選べません";
}

// Remembers whether the postal window refused the amount.
class AmountLimit final : public PostalDisplay {
  public:
    bool refused = false;
    void showAmountLimit() override { refused = true; }
};

template <typename Option, typename Reason>
void selectPostal(PostalSelection& model, AmountLimit& limit, const PostalChoices<Option>& c,
                  Reason reason) {
    requireNumber(c.amount);
    model.chooseWeight(c.weightRow);
    constexpr size_t n =
        std::is_same_v<Option, LetterOption> ? kLetterOptionCount : kBookOptionCount;
    Steps<Option, n> steps(c.options, checkedOf<n, PostalSelection, Option>(model));
    if (!c.amount.empty()) {
        steps.run(std::nullopt, [&] { model.typeAmount(c.amount); });
        if (limit.refused)
            throw SelectionRefused(std::string(postalAmountLimitMessage()));
    }
    for (Option option : c.options) {
        if (model.box(option).checked)
            continue;
        if (!model.box(option).enabled)
            throw SelectionRefused(steps.excluded(option).value_or(reason(option)));
        steps.run(option, [&] { model.click(option); });
    }
}

} // namespace

ParcelSelected selectParcel(const ParcelChoices& c) {
    using P = ParcelOption;
    ParcelSelection model;
    model.useCatCashOnDelivery(named(c.options, P::CatDaihiki));
    model.chooseFrom(c.fromRow);
    model.chooseTo(c.toRow);
    model.chooseWeight(c.weightRow);
    model.chooseSize(c.sizeRow);
    Steps<P, kParcelOptionCount> steps(c.options,
                                       checkedOf<kParcelOptionCount, ParcelSelection, P>(model));
    if (!c.amount.empty())
        steps.run(std::nullopt, [&] { model.typeAmount(c.amount); });
    // Throws ConversionError for an amount that is no number, as the quotes would.
    if (registeredRequired(toSingle(model.amountText())) && model.mayClick(P::Kakitome) &&
        !model.box(P::Kakitome).checked)
        steps.run(std::nullopt, [&] { model.click(P::Kakitome); });

    for (P option : c.options) {
        if (!model.groupEnabled(optionRow(option).carrier))
            continue;
        if (!model.box(option).checked) {
            if (!model.box(option).enabled) {
                if (option == P::CatCool && !coolAvailable(model.weightRow(), model.sizeRow()))
                    throw SelectionRefused("クール は 15kg以下・120cm以下の荷物にだけ選べます");
                throw SelectionRefused(
                    steps.excluded(option).value_or(notSelectable(optionName(option))));
            }
            steps.run(option, [&] { model.click(option); });
        }
        if (option == P::CatFukusu)
            model.typeCount(c.parcelCount);
    }

    ParcelSelected selected;
    selected.youpack = model.youpackRequest();
    selected.youpack.SokinNo = c.remittance;
    selected.cat = model.catRequest();
    selected.youpackHandled = model.groupEnabled(Carrier::Youpack);
    selected.catHandled = model.groupEnabled(Carrier::Cat);
    return selected;
}

TLetterMailRequest selectLetterMail(const LetterChoices& c) {
    AmountLimit limit;
    PostalSelection model(&limit);
    selectPostal(model, limit, c, [&model](LetterOption option) {
        if (option == LetterOption::InCity && !inCityAvailable(model.weightRow()))
            return std::string("市内特別 は 250g以下にだけ選べます");
        return notSelectable(optionName(option));
    });
    TLetterMailRequest r = model.letterRequest();
    r.SokinNo = c.remittance;
    return r;
}

TBookParcelRequest selectBookParcel(const BookChoices& c) {
    AmountLimit limit;
    PostalSelection model(&limit);
    selectPostal(model, limit, c,
                 [](BookOption option) { return notSelectable(optionName(option)); });
    TBookParcelRequest r = model.bookRequest();
    r.SokinNo = c.remittance;
    return r;
}

} // namespace hakomaru
