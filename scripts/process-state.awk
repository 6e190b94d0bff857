# Prints "file:line: name" for every mutable variable that lives as long as the program: a
# function-local or class `static`, or a variable at namespace scope (file and line come from
# `grep -n` output fed in as "file:line:text"). A heuristic on clang-formatted code: constants,
# functions, declarations of types and anything spanning lines are not variables here.
{
    file = $0
    sub(/:.*/, "", file)
    rest = substr($0, length(file) + 2)
    line = rest
    sub(/:.*/, "", line)
    text = substr(rest, length(line) + 2)
    sub(/[ \t]*\/\/.*$/, "", text)
    if (text !~ /;[ \t]*$/) next
    if (text ~ /^[ \t]+/) {
        # Indented: only a static (in a function or a class) outlives its scope.
        if (text !~ /^[ \t]+(static|thread_local)[ \t]/) next
    } else if (text ~ /^(using|namespace|struct|class|union|enum|template|typedef|return|extern|friend|public|private|protected|case|default|goto|#|}|static_assert)([^A-Za-z_]|$)/) {
        next
    }
    if (text ~ /(^|[ \t])(constexpr|consteval|static_assert)[ \t(]/) next
    if (text ~ /^[ \t]*(static[ \t]+|inline[ \t]+|thread_local[ \t]+)*const[ \t]/) next
    declaration = text
    sub(/[ \t]*(=|\{).*$/, "", declaration)
    sub(/[ \t]*;[ \t]*$/, "", declaration)
    while (sub(/<[^<>]*>/, "", declaration)) {} # template arguments may hold a function type
    if (declaration ~ /\(/) {
        # A function, unless its "arguments" are one name or number: a variable built by a call.
        arguments = declaration
        sub(/^[^(]*\(/, "", arguments)
        sub(/\)[^)]*$/, "", arguments)
        if (arguments !~ /^[A-Za-z0-9_:.]+$/ || arguments ~ /^(void|int|bool|char|float|double|unsigned|long|short|auto)$/) next
        sub(/[ \t]*\(.*$/, "", declaration)
    }
    if (declaration !~ /[A-Za-z_>*&][ \t*&]+[A-Za-z_][A-Za-z0-9_]*(\[[^]]*\])?$/) next # needs a type and a name
    name = declaration
    sub(/(\[[^]]*\])?$/, "", name)
    sub(/^.*[^A-Za-z0-9_]/, "", name)
    print file ":" line ": " name
}
