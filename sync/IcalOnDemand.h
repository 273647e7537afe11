#pragma once

// libical is opened at its first use, not at start: a program that never
// syncs does not pay for loading it (about 1.7 ms of every start). The
// mapping's files include this instead of <libical/ical.h>; each libical
// function they call is looked up once, at the place it is called.

#include <QString>
#include <libical/ical.h>

namespace IcalOnDemand {

// Opens libical the first time it is asked: empty once it is open, else
// why it cannot be, in plain words. Nothing of libical may be called then.
QString LoadError();
// The function of that name, from the open libical.
QFunctionPointer Symbol(const char *name);

} // namespace IcalOnDemand

#define JBX_ICAL(f)                                                                                          \
    ([] {                                                                                                    \
        static const auto real = reinterpret_cast<decltype(&::f)>(IcalOnDemand::Symbol(#f));                 \
        return real;                                                                                         \
    }())

// Every libical function the mapping calls, by its own name. libical is not
// linked: a call to one missing here fails the build, not the user.
#define ical_set_unknown_token_handling_setting JBX_ICAL(ical_set_unknown_token_handling_setting)
#define icalcomponent_add_component JBX_ICAL(icalcomponent_add_component)
#define icalcomponent_add_property JBX_ICAL(icalcomponent_add_property)
#define icalcomponent_as_ical_string_r JBX_ICAL(icalcomponent_as_ical_string_r)
#define icalcomponent_free JBX_ICAL(icalcomponent_free)
#define icalcomponent_get_first_component JBX_ICAL(icalcomponent_get_first_component)
#define icalcomponent_get_first_property JBX_ICAL(icalcomponent_get_first_property)
#define icalcomponent_get_next_component JBX_ICAL(icalcomponent_get_next_component)
#define icalcomponent_get_next_property JBX_ICAL(icalcomponent_get_next_property)
#define icalcomponent_get_timezone JBX_ICAL(icalcomponent_get_timezone)
#define icalcomponent_isa JBX_ICAL(icalcomponent_isa)
#define icalcomponent_new JBX_ICAL(icalcomponent_new)
#define icalcomponent_remove_component JBX_ICAL(icalcomponent_remove_component)
#define icalcomponent_remove_property JBX_ICAL(icalcomponent_remove_property)
#define icalcomponent_string_to_kind JBX_ICAL(icalcomponent_string_to_kind)
#define icaldurationtype_null_duration JBX_ICAL(icaldurationtype_null_duration)
#define icalerror_clear_errno JBX_ICAL(icalerror_clear_errno)
#define icalerror_set_errors_are_fatal JBX_ICAL(icalerror_set_errors_are_fatal)
#define icalparameter_get_tzid JBX_ICAL(icalparameter_get_tzid)
#define icalparameter_new_value JBX_ICAL(icalparameter_new_value)
#define icalparser_parse_string JBX_ICAL(icalparser_parse_string)
#define icalproperty_add_parameter JBX_ICAL(icalproperty_add_parameter)
#define icalproperty_free JBX_ICAL(icalproperty_free)
#define icalproperty_get_description JBX_ICAL(icalproperty_get_description)
#define icalproperty_get_first_parameter JBX_ICAL(icalproperty_get_first_parameter)
#define icalproperty_get_percentcomplete JBX_ICAL(icalproperty_get_percentcomplete)
#define icalproperty_get_priority JBX_ICAL(icalproperty_get_priority)
#define icalproperty_get_rrule JBX_ICAL(icalproperty_get_rrule)
#define icalproperty_get_status JBX_ICAL(icalproperty_get_status)
#define icalproperty_get_summary JBX_ICAL(icalproperty_get_summary)
#define icalproperty_get_trigger JBX_ICAL(icalproperty_get_trigger)
#define icalproperty_get_uid JBX_ICAL(icalproperty_get_uid)
#define icalproperty_get_value JBX_ICAL(icalproperty_get_value)
#define icalproperty_get_x_name JBX_ICAL(icalproperty_get_x_name)
#define icalproperty_new_action JBX_ICAL(icalproperty_new_action)
#define icalproperty_new_completed JBX_ICAL(icalproperty_new_completed)
#define icalproperty_new_created JBX_ICAL(icalproperty_new_created)
#define icalproperty_new_description JBX_ICAL(icalproperty_new_description)
#define icalproperty_new_dtstamp JBX_ICAL(icalproperty_new_dtstamp)
#define icalproperty_new_due JBX_ICAL(icalproperty_new_due)
#define icalproperty_new_lastmodified JBX_ICAL(icalproperty_new_lastmodified)
#define icalproperty_new_priority JBX_ICAL(icalproperty_new_priority)
#define icalproperty_new_prodid JBX_ICAL(icalproperty_new_prodid)
#define icalproperty_new_status JBX_ICAL(icalproperty_new_status)
#define icalproperty_new_trigger JBX_ICAL(icalproperty_new_trigger)
#define icalproperty_new_version JBX_ICAL(icalproperty_new_version)
#define icalproperty_new_x JBX_ICAL(icalproperty_new_x)
#define icalproperty_set_percentcomplete JBX_ICAL(icalproperty_set_percentcomplete)
#define icalproperty_set_x_name JBX_ICAL(icalproperty_set_x_name)
#define icalproperty_string_to_kind JBX_ICAL(icalproperty_string_to_kind)
#define icaltime_is_null_time JBX_ICAL(icaltime_is_null_time)
#define icaltime_is_utc JBX_ICAL(icaltime_is_utc)
#define icaltime_null_date JBX_ICAL(icaltime_null_date)
#define icaltime_null_time JBX_ICAL(icaltime_null_time)
#define icaltimezone_get_component JBX_ICAL(icaltimezone_get_component)
#define icaltimezone_get_utc_offset JBX_ICAL(icaltimezone_get_utc_offset)
#define icaltimezone_get_utc_timezone JBX_ICAL(icaltimezone_get_utc_timezone)
#define icalvalue_as_ical_string_r JBX_ICAL(icalvalue_as_ical_string_r)
#define icalvalue_get_date JBX_ICAL(icalvalue_get_date)
#define icalvalue_get_datetime JBX_ICAL(icalvalue_get_datetime)
#define icalvalue_get_x JBX_ICAL(icalvalue_get_x)
#define icalvalue_isa JBX_ICAL(icalvalue_isa)
