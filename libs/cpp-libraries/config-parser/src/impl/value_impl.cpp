#include "value_impl.hpp"

namespace orx::libs::config {

namespace {

// The JSON value when it is a scalar that passes `accepts`, converted by `read`.
template <typename Variant, typename Accepts, typename Read>
auto scalar(const Variant& held, Accepts accepts, Read read) -> boost::optional<decltype(read(Json::Value()))> {
    const Json::Value* json = boost::get<Json::Value>(&held);
    if (json && (json->*accepts)())
        return read(*json);
    return boost::none;
}

}  // namespace

value_impl::value_impl(Json::Value scalar) : m_value(std::move(scalar)) {}

value_impl::value_impl(const dictionary& object) : m_value(std::cref(object)) {}

value_impl::value_impl(const array& elements) : m_value(range(elements)) {}

boost::optional<bool> value_impl::as_bool() const {
    return scalar(m_value, &Json::Value::isBool, [](const Json::Value& v) { return v.asBool(); });
}

boost::optional<int> value_impl::as_int() const {
    // asInt raises the JSON library's range error for integers beyond 32 bits.
    return scalar(m_value, &Json::Value::isIntegral, [](const Json::Value& v) { return v.asInt(); });
}

boost::optional<double> value_impl::as_double() const {
    return scalar(m_value, &Json::Value::isDouble, [](const Json::Value& v) { return v.asDouble(); });
}

boost::optional<std::string> value_impl::as_string() const {
    return scalar(m_value, &Json::Value::isString, [](const Json::Value& v) { return v.asString(); });
}

boost::optional<const dictionary&> value_impl::as_object() const {
    if (const auto* object = boost::get<std::reference_wrapper<const dictionary>>(&m_value))
        return object->get();
    return boost::none;
}

boost::optional<value::range> value_impl::as_array() const {
    if (const range* elements = boost::get<range>(&m_value))
        return *elements;
    return boost::none;
}

}  // namespace orx::libs::config
