#pragma once
// std::visit with one lambda per alternative: a new alternative does not compile until every
// visit takes it.

template <class... Handlers>
struct overloaded : Handlers...
{
    using Handlers::operator()...;
};
template <class... Handlers>
overloaded(Handlers...) -> overloaded<Handlers...>;
