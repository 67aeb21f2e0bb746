#include "engine/schema.h"

#include "engine/quoting.h"

namespace pezolva::engine {

Field::Field(std::string name, int type, int size)
    : name_(std::move(name)),
      declared_(declared_type_for(type, size)),
      type_(field_type_of(declared_)) {}

Field Field::FromDeclared(std::string name, std::string declared, bool not_null) {
    Field f;
    f.name_ = std::move(name);
    f.type_ = field_type_of(declared);
    f.declared_ = std::move(declared);
    f.required_ = not_null;
    return f;
}

std::string Field::definition() const {
    std::string text = quote_identifier(name_) + " " + declared_;
    // The engine compares text without regard to case, as the original did.
    if (is_text_code(type_.code)) text += " COLLATE NOCASE";
    if (required_) text += " NOT NULL";
    return text;
}

}  // namespace pezolva::engine
