# Lists the functions and variables a C++ file names, one a line: "D name file
# line" for a declaration only (a prototype, an extern variable, a member
# function or static data member declared in its class) and "F name file line"
# for a definition; "N name file line" names a namespace. A member is named
# "Class::member" (its innermost class), a constructor or destructor by the
# class's name, an operator "Class::operator". Declarations inside function
# bodies are read too: a block-scope extern or prototype is a declaration like
# any other.
# Preprocessor lines, comments and the insides of string and character literals
# are skipped; a macro is read where it is used, written out as its #define
# gives it, so that a declaration a macro makes counts as any other. The files
# are read twice, the first time for their macros:
# Usage: awk -f declarations.awk pass=1 FILE... pass=2 FILE...
BEGIN {
  split("if for while switch return sizeof decltype alignas static_assert void int char " \
        "bool operator using typedef friend template else do case delete throw goto new " \
        "co_return co_await co_yield", words, " ")
  keyword["__attribute__"] = 1
  for (i in words) keyword[words[i]] = 1
}

FNR == 1 {
  depth = 0; top = 0; text = ""; btext = ""; start = 0; comment = 0; macro = 0; defining = 0
}

# The first pass keeps every #define, its continued lines joined.
pass == 1 {
  if (!defining && $0 !~ /^[[:space:]]*#[[:space:]]*define[[:space:]]/) next
  line = $0
  more = sub(/\\[[:space:]]*$/, "", line)
  def = defining ? def " " line : line
  defining = more
  if (!defining) define(def)
  next
}

# Keeps one macro: mfn[name] 1 for one with parameters (mparams, separated by
# commas), its body in mbody.
function define(s,   p, name) {
  sub(/^[[:space:]]*#[[:space:]]*define[[:space:]]+/, "", s)
  s = strip(s); comment = 0
  if (match(s, /^[A-Za-z_][A-Za-z0-9_]*\(/)) {
    name = substr(s, 1, RLENGTH - 1)
    s = substr(s, RLENGTH + 1)
    p = index(s, ")")
    mparams[name] = substr(s, 1, p - 1)
    gsub(/[[:space:]]/, "", mparams[name])
    mbody[name] = substr(s, p + 1)
    mfn[name] = 1
  } else if (match(s, /^[A-Za-z_][A-Za-z0-9_]*/)) {
    name = substr(s, 1, RLENGTH)
    mbody[name] = substr(s, RLENGTH + 1)
    mfn[name] = 0
  }
}

# body with each parameter of macro m replaced by its argument (n of them in
# arg), "#parameter" by an empty literal, and "##" joining its neighbours.
function substitute(m, arg, n,   body, out, id, k, np, param, hash) {
  np = split(mparams[m], param, ",")
  body = mbody[m]
  out = ""
  while (match(body, /#[[:space:]]*[A-Za-z_][A-Za-z0-9_]*|[A-Za-z_][A-Za-z0-9_]*/)) {
    out = out substr(body, 1, RSTART - 1)
    id = substr(body, RSTART, RLENGTH)
    body = substr(body, RSTART + RLENGTH)
    hash = id ~ /^#/ && out !~ /#$/
    if (hash) sub(/^#[[:space:]]*/, "", id)
    else if (id ~ /^#/) { out = out "#"; sub(/^#[[:space:]]*/, "", id) }
    for (k = 1; k <= np; k++)
      if (param[k] == id) break
    if (k <= np) out = out (hash ? "\"\"" : (k <= n ? arg[k] : ""))
    else out = out (hash ? "#" : "") id
  }
  out = out body
  gsub(/[[:space:]]*##[[:space:]]*/, "", out)
  return out
}

# s with every macro the first pass kept written out, to a depth of eight.
function expand(s,   round, out, id, rest, c, i, len, depth, n, arg, part, changed) {
  for (round = 0; round < 8; round++) {
    out = ""; rest = s; changed = 0
    while (match(rest, /[A-Za-z_][A-Za-z0-9_]*/)) {
      out = out substr(rest, 1, RSTART - 1)
      id = substr(rest, RSTART, RLENGTH)
      rest = substr(rest, RSTART + RLENGTH)
      if (!(id in mbody)) { out = out id; continue }
      if (!mfn[id]) { out = out " " mbody[id] " "; changed = 1; continue }
      if (!match(rest, /^[[:space:]]*\(/)) { out = out id; continue }
      # The arguments: to the matching parenthesis, split at its own commas.
      rest = substr(rest, RLENGTH + 1)
      len = length(rest); depth = 0; n = 0; part = ""
      for (i = 1; i <= len; i++) {
        c = substr(rest, i, 1)
        if (c == "(") depth++
        else if (c == ")" && depth-- == 0) break
        if (c == "," && depth == 0) { arg[++n] = part; part = ""; continue }
        part = part c
      }
      if (i > len) { out = out id "("; continue }
      if (part ~ /[^[:space:]]/ || n > 0) arg[++n] = part
      out = out " " substitute(id, arg, n) " "
      changed = 1
      rest = substr(rest, i + 1)
    }
    if (!changed) return s
    s = out rest
  }
  return s
}

# The last identifier of s: the name a declarator ends on.
function last_name(s) {
  sub(/[[:space:]]+$/, "", s)
  if (!match(s, /[A-Za-z_][A-Za-z0-9_]*$/)) return ""
  return substr(s, RSTART)
}

# s without template arguments, [[attributes]], alignas() and __attribute__(()).
function plain(s,   n) {
  gsub(/\[\[[^]]*\]\]/, " ", s)
  gsub(/(alignas|__attribute__)[[:space:]]*\(\([^)]*\)\)/, " ", s)
  gsub(/(alignas|__attribute__)[[:space:]]*\([^)]*\)/, " ", s)
  n = 1
  while (n) n = gsub(/<[^<>()]*>/, " ", s)
  return s
}

function emit(kind, name) {
  if (name != "" && !(name in keyword)) print kind, name, FILENAME, start
}

# The innermost class's name when s stands at class scope, "" at namespace scope,
# "-" in a class without a name.
function scope() {
  return (top > 0 && kind[top] == "c") ? cls[top] : ""
}

# "Class::member" of a qualified head ("int A::B::f", "A::~A"); "" when the head
# names no class.
function qualified(head) {
  gsub(/[[:space:]]*::[[:space:]]*/, "::", head)
  gsub(/~/, "", head)
  if (head ~ /::operator/) sub(/operator.*$/, "operator", head)
  if (!match(head, /[A-Za-z_][A-Za-z0-9_]*::[A-Za-z_][A-Za-z0-9_]*[[:space:]]*$/)) return ""
  head = substr(head, RSTART)
  sub(/[[:space:]]+$/, "", head)
  return head
}

# Splits a declaration at the commas outside brackets into its declarators:
# head[k] is the text a declarator's name ends (the type stays with the first),
# fn[k] 1 for a function, init[k] 1 for a variable with an initialiser. Returns
# their count.
function declarators(s, head, fn, init,   n, k, depth, c, i, len, part, p, eq, parts) {
  n = 0; depth = 0; part = ""; len = length(s)
  for (i = 1; i <= len + 1; i++) {
    c = substr(s, i, 1)
    if (i > len || (c == "," && depth == 0)) { parts[++n] = part; part = ""; continue }
    if (c ~ /[([{]/) depth++
    else if (c ~ /[])}]/) depth--
    part = part c
  }
  for (k = 1; k <= n; k++) {
    part = parts[k]
    p = index(part, "(")
    eq = index(part, "=")
    fn[k] = 0; init[k] = eq > 0 || index(part, "{") > 0
    if (p > 0 && substr(part, p, 2) ~ /^\([*&]/) {
      # A pointer to a function: "T (*name)(args)".
      part = substr(part, p + 2)
      sub(/\).*$/, "", part)
    } else if (p > 0 && (eq == 0 || p < eq)) {
      fn[k] = 1; init[k] = 0
      part = substr(part, 1, p - 1)
      if (part ~ /operator/) sub(/operator.*$/, "operator", part)
    } else sub(/[=[{].*$/, "", part)
    gsub(/~/, "", part)
    head[k] = part
  }
  return n
}

# A member of class c: a function (declared, or defined in the class body) or a
# static data member.
function member(c, s, end,   n, k, head, fn, init, name) {
  if (c == "-" || s == "" || s ~ /^(typedef|using|static_assert|friend|enum|struct|class|union) /) return
  n = declarators(s, head, fn, init)
  for (k = 1; k <= n; k++) {
    name = last_name(head[k])
    if (name == "" || (name in keyword && name != "operator")) continue
    if (fn[k]) emit((end == "{" || s ~ /= ?(default|delete)$/) ? "F" : "D", c "::" name)
    else if (s ~ /^((inline|constexpr|thread_local|const) )*static /)
      emit((init[k] || end == "{" || s ~ /(^| )(inline|constexpr) /) ? "F" : "D", c "::" name)
  }
}

# One statement at namespace or class scope, ended by ";" or by "{" (end holds
# which). A member defined outside its class is named by its class.
function statement(s, end,   n, k, head, fn, init, c, extern) {
  s = plain(s)
  gsub(/[[:space:]]+/, " ", s)
  sub(/^ /, "", s)
  sub(/ $/, "", s)
  c = scope()
  if (c != "") { member(c, s, end); return }
  if (s == "" || s ~ /^(typedef|using|static_assert|friend|namespace|return) /) return
  if (s ~ /^(struct|class|union|enum)( |$)/ && s !~ /[(=]/) return
  extern = s ~ /^extern /
  n = declarators(s, head, fn, init)
  for (k = 1; k <= n; k++) {
    if (head[k] ~ /::[ ]*[A-Za-z_0-9]*[ ]*$/) {
      emit("F", qualified(head[k]))
    } else if (head[k] !~ /operator/ && !(s ~ /^static / && !fn[k])) {
      emit((end == "{" || !(fn[k] || extern) || init[k]) ? "F" : "D", last_name(head[k]))
    }
  }
}

# A statement inside a function body: an extern declaration, or a prototype
# ("T Name(int n);", "T Name();") rather than a call or a variable built from
# arguments.
function local(s,   p, q, args, n, k, part, head, fn, init) {
  s = plain(s)
  gsub(/[[:space:]]+/, " ", s)
  sub(/^ /, "", s)
  sub(/ $/, "", s)
  if (s ~ /^extern /) {
    n = declarators(s, head, fn, init)
    for (k = 1; k <= n; k++)
      if (!init[k]) emit("D", last_name(head[k]))
    return
  }
  # clang-format joins "*" and "&" to the type: "a * b" is a product.
  if (s !~ /^(const )?[A-Za-z_][A-Za-z0-9_:]*( const)?[*&]* [A-Za-z_][A-Za-z0-9_]* ?\([^()]*\)( noexcept)?$/) return
  if (last_name(substr(s, 1, index(s, " "))) in keyword && s !~ /^(void|int|char|bool) /) return
  p = index(s, "(")
  q = index(s, ")")
  args = substr(s, p + 1, q - p - 1)
  n = split(args, part, ",")
  for (k = 1; k <= n; k++)
    if (part[k] !~ /^ ?(const )?[A-Za-z_][A-Za-z0-9_:]*( const)?[*&]* [A-Za-z_][A-Za-z0-9_]* ?$/ &&
        part[k] !~ /^ ?(void|int|char|bool|long|short|unsigned|float|double)[*& ]*$/) return
  emit("D", last_name(substr(s, 1, p - 1)))
}

# line without its comments and with each literal's insides taken out ("" and
# '' stay); comment carries a block comment over to the next line.
function strip(line,   out, tok, j, n, d) {
  out = ""
  while (line != "") {
    if (comment) {
      j = index(line, "*/")
      if (!j) return out
      line = substr(line, j + 2)
      comment = 0
      continue
    }
    if (!match(line, /\/\/|\/\*|["']/)) return out line
    out = out substr(line, 1, RSTART - 1)
    tok = substr(line, RSTART, RLENGTH)
    line = substr(line, RSTART + RLENGTH)
    if (tok == "//") return out
    if (tok == "/*") { comment = 1; continue }
    # Skip the literal, escapes and all.
    n = length(line)
    for (j = 1; j <= n; j++) {
      d = substr(line, j, 1)
      if (d == "\\") { j++; continue }
      if (d == tok) break
    }
    out = out tok tok
    line = substr(line, j + 1)
  }
  return out
}

# Adds s to the statement being read; its first line is the statement's.
function add(s) {
  if (depth > 0) {
    if (s ~ /[^[:space:]]/ && btext !~ /[^[:space:]]/) start = FNR
    btext = btext s
  } else {
    if (s ~ /[^[:space:]]/ && text !~ /[^[:space:]]/) start = FNR
    text = text s
  }
}

# The opening brace of a namespace, a class or a block.
function open_brace(   head, k, j, part) {
  if (depth == 0) {
    # A namespace or an extern "C" block keeps its insides at namespace
    # scope; a class's body is read member by member.
    if (text ~ /^[[:space:]]*(namespace|extern[[:space:]]*"")[^;]*$/) {
      head = text ~ /^[[:space:]]*namespace/ ? text : ""
      sub(/^[[:space:]]*namespace[[:space:]]*/, "", head)
      gsub(/[^A-Za-z0-9_]+/, " ", head)
      k = split(head, part, " ")
      for (j = 1; j <= k; j++) emit("N", part[j])
      kind[++top] = "n"; text = ""
      return
    }
    head = plain(text)
    if (head ~ /(^|[[:space:]])(struct|class|union)([[:space:]]|$)/ &&
        head !~ /[(=]|(^|[[:space:]])enum[[:space:]]/) {
      sub(/^.*(^|[[:space:]])(struct|class|union)[[:space:]]*/, "", head)
      sub(/[[:space:]]+final([[:space:]]|$)/, " ", head)
      head = match(head, /^[A-Za-z_][A-Za-z0-9_]*/) ? substr(head, 1, RLENGTH) : "-"
      kind[++top] = "c"; cls[top] = head; text = ""
      return
    }
    statement(text, "{")
    text = ""
  }
  btext = ""
  kind[++top] = "b"; depth++
}

{
  line = $0
  if (macro || (!comment && line ~ /^[[:space:]]*#/)) {
    macro = line ~ /\\$/
    next
  }
  rest = expand(strip(line))
  # The text between braces, semicolons and colons goes in whole.
  while (rest != "") {
    if (!match(rest, /[;{}:]/)) { add(rest); break }
    add(substr(rest, 1, RSTART - 1))
    c = substr(rest, RSTART, 1)
    rest = substr(rest, RSTART + 1)
    if (c == ":" && substr(rest, 1, 1) == ":") {
      add("::")
      rest = substr(rest, 2)
      continue
    }
    if (c == "{") { open_brace(); continue }
    if (c == "}") {
      if (top > 0 && kind[top--] == "b") depth--
      if (depth == 0) text = ""
      btext = ""
      continue
    }
    if (depth > 0) {
      if (c == ";") { local(btext); btext = ""; continue }
      # A case label starts no statement.
      if (c == ":" && btext ~ /^[[:space:]]*(default|case[^A-Za-z0-9_].*)$/) { btext = ""; continue }
      add(c)
      continue
    }
    if (c == ";") { statement(text, ";"); text = ""; continue }
    # An access label starts no statement.
    if (c == ":" && text ~ /^[[:space:]]*(public|private|protected)[[:space:]]*$/) { text = ""; continue }
    add(c)
  }
  add(" ")
}
