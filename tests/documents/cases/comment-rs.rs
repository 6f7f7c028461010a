/* outer /* nestedd */ still outerr */
fn foo<'a>(x: &'a str) -> char {
    let s = r#"raw "stringg" here"#; // commentt
    let t = "multi
linee";
    'c'
}
/// Parses the text.
///
/// ```
/// let hiddn = parse("x");
/// ```
/// Returns the valeu.
fn parse() {}
